#include "persistence/card/card_thread.h"

#include "project/executor.h"
#include "project/project.h"

#include <algorithm>

namespace zelmo::card {

namespace {
constexpr int kGangCards = 8;
constexpr unsigned long kPauseBetweenCardsMs = 100;
} // namespace

QString GangCardBusyText(int programmer) {
    return QStringLiteral("Writing CF card - socket #%1.").arg(programmer + 1);
}

TCardThread::TCardThread(Job job) : job_(std::move(job)) {}

void TCardThread::Step(const std::function<void()>& step) {
    if (job_.Executor != nullptr) {
        job_.Executor->Run(step);
    } else {
        step();
    }
}

void TCardThread::ShowBusyText(const QString& text) {
    if (job_.SetBusyText) {
        Step([&] { job_.SetBusyText(text); });
    }
}

void TCardThread::run() {
    CardContext context;
    context.Library = job_.Library;
    context.AppDir = job_.AppDir;
    context.Synchronize = [this](const std::function<void()>& step) { Step(step); };
    context.Log = [this](LogKind kind, const QString& text) {
        if (job_.Log) {
            Step([&] { job_.Log(kind, text); });
        }
    };
    context.DeviceProgress = &DeviceProgress;
    context.PieceProgress = &PieceProgress;
    CPortable portable(std::move(context));

    const auto port = [this](int index) {
        return index >= 0 && index < static_cast<int>(job_.Ports.size())
                   ? job_.Ports[static_cast<std::size_t>(index)]
                   : -1;
    };

    if (job_.Project == nullptr || job_.Library == nullptr) {
        success_ = false;
        return;
    }
    if (job_.Transfer == Read) {
        const Result read = portable.Read(*job_.Project, port(job_.ProgrammerIndex));
        if (!read.ok) {
            const std::lock_guard lock(mutex_);
            readMessage_ = read.message;
        }
        return;
    }
    if (job_.Gang) {
        success_ = WriteGang(portable).ok;
        return;
    }
    ShowBusyText(QString::fromLatin1(kBusyWritingCard));
    success_ = portable.Write(*job_.Project, port(job_.ProgrammerIndex)).ok;
}

Result TCardThread::WriteGang(CPortable& portable) {
    const int n =
        std::min({static_cast<int>(job_.Ports.size()), job_.Project->DeviceCount, kGangCards});
    for (int i = 0; i < n; ++i) {
        DeviceProgress.setFraction(static_cast<std::uint64_t>(i), static_cast<std::uint64_t>(n));
        ShowBusyText(GangCardBusyText(i));
        const Result written =
            portable.Write(*job_.Project, job_.Ports[static_cast<std::size_t>(i)], i);
        if (!written.ok) {
            return written;
        }
        if (i + 1 < n) {
            QThread::msleep(kPauseBetweenCardsMs);
        }
    }
    return Result::success();
}

} // namespace zelmo::card
