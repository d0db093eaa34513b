#include "persistence/card/card_commands.h"

#include "persistence/card/card_identification.h"
#include "persistence/card/card_library.h"
#include "persistence/card/card_thread.h"
#include "project/device_descriptor.h"
#include "project/executor.h"
#include "project/project.h"

#include <algorithm>

namespace zelmo::card {

namespace {

constexpr std::uint8_t kCardModel = 1;

QString latin1(const char* text) {
    return QString::fromLatin1(text);
}

// A programmer position read from the configuration or the project, kept inside the list.
int positionInList(int position, int count) {
    return position >= 0 && position < count ? position : 0;
}

} // namespace

bool GangWriting(int programmerCount, bool gangMode) {
    return programmerCount > 1 && gangMode;
}

CardMenuStates CardMenus(std::span<const ProgrammerInfo> programmers, bool gangMode) {
    const int count = static_cast<int>(programmers.size());
    const bool gang = GangWriting(count, gangMode);
    const bool oneOrGang = count == 1 || gang;
    const bool allCardCapable =
        std::all_of(programmers.begin(), programmers.end(),
                    [](const ProgrammerInfo& p) { return p.Model == kCardModel; });
    CardMenuStates menus;
    menus.IdentifyCF = {gang ? QStringLiteral("Identify CompactFlash cards")
                             : QStringLiteral("Identify CompactFlash card"),
                        true};
    // Shown, never enabled: erasing a card has no behaviour.
    menus.EraseCF = {gang ? QStringLiteral("Erase CompactFlash cards")
                          : QStringLiteral("Erase CompactFlash card"),
                     false};
    menus.ReadFromCard = {QStringLiteral("Read from card"), oneOrGang};
    menus.SaveToCard = {gang ? QStringLiteral("Save to cards") : QStringLiteral("Save to card"),
                        allCardCapable && oneOrGang};
    return menus;
}

CCardCommands::CCardCommands(TProject& project, CardLibrary& library, CExecutor& executor,
                             QString appDir, CardCommandHost host)
    : project_(project), library_(library), executor_(executor), appDir_(std::move(appDir)),
      host_(std::move(host)) {}

void CCardCommands::SetProgrammers(std::vector<ProgrammerInfo> programmers) {
    programmers_ = std::move(programmers);
}

CardMenuStates CCardCommands::Menus() const {
    return CardMenus(programmers_, project_.GangMode != 0);
}

void CCardCommands::Log(LogKind kind, const QString& text) const {
    if (host_.Log) {
        host_.Log(kind, text);
    }
}

void CCardCommands::SetStatus(const QString& text) const {
    if (CDevice* active = project_.Active()) {
        active->StatusText = text;
    }
    if (host_.SetStatusMessage) {
        host_.SetStatusMessage(text);
    }
}

std::vector<std::int32_t> CCardCommands::Ports() const {
    std::vector<std::int32_t> ports;
    for (const ProgrammerInfo& p : programmers_) {
        ports.push_back(p.Port);
    }
    return ports;
}

void CCardCommands::IdentifyCards() {
    Log(lkPurpleSection, QStringLiteral("CompactFlash card identification"));
    const int count = ProgrammerCount();
    if (count == 0) {
        Log(lkDetail, latin1(kDemoModeRefusal));
        return;
    }
    const LogKind detail = lkDetailFor(count);
    for (int i = 0; i < count; ++i) {
        const std::int32_t port = programmers_[static_cast<std::size_t>(i)].Port;
        if (!library_.InitHardware(port)) {
            Log(detail, QStringLiteral("Could not initialize hardware."));
            return;
        }
        if (count > 1) {
            Log(lkDetail, QStringLiteral("Card slot #%1.").arg(i + 1));
        }
        if (!library_.CardInserted(port)) {
            Log(detail, QStringLiteral("Card not inserted."));
            continue;
        }
        Sector block{};
        if (!library_.IdentifyCard(port, block.data())) {
            Log(detail, QStringLiteral("Card identification error."));
            continue;
        }
        for (const CardLogLine& line : IdentificationLines(block, count)) {
            Log(line.Kind, line.Text);
        }
    }
}

// Every device must be able to work from a card; the others are listed and nothing is written.
bool CCardCommands::StandAloneCheck() const {
    std::vector<int> refused;
    for (int d = 0; d < project_.DeviceCount; ++d) {
        const CDevice* device = project_.DeviceAt(d);
        if (device != nullptr && (device->Descriptor.Flags & DEV_STAND_ALONE) == 0) {
            refused.push_back(d);
        }
    }
    if (refused.empty()) {
        return true;
    }
    Log(lkDetail,
        QStringLiteral("Following devices are not designed to work in stand-alone mode."));
    for (int d : refused) {
        const DeviceDescriptor& descriptor = project_.DeviceAt(d)->Descriptor;
        Log(lkSubDetail, QStringLiteral("%1: %2, %3 / %4")
                             .arg(d + 1, 2, 10, QLatin1Char('0'))
                             .arg(library_.VendorName(descriptor.Vendor),
                                  FieldQString(descriptor.Name), FieldQString(descriptor.Package)));
    }
    Log(lkDetail, QStringLiteral("Remove these devices before saving."));
    return false;
}

bool CCardCommands::ProgrammerReady(int index) const {
    const std::int32_t port = programmers_[static_cast<std::size_t>(index)].Port;
    if (!library_.InitHardware(port)) {
        Log(lkDetail, QStringLiteral("Could not initialize hardware."));
        return false;
    }
    if (!library_.CardInserted(port)) {
        Log(lkDetail, QStringLiteral("Card not inserted."));
        return false;
    }
    return true;
}

TCardThread::Job CCardCommands::TransferJob(TCardThread::Direction direction, int programmer,
                                            bool gang) const {
    return {.Transfer = direction,
            .Gang = gang,
            .ProgrammerIndex = programmer,
            .Ports = Ports(),
            .Project = &project_,
            .Library = &library_,
            .Executor = &executor_,
            .AppDir = appDir_,
            .Log = host_.Log,
            .SetBusyText = host_.SetBusyText};
}

void CCardCommands::RunTransfer(TCardThread& worker, const QString& text) const {
    if (host_.RunBusy) {
        host_.RunBusy(worker, text, worker.DeviceProgress, worker.PieceProgress);
    } else {
        RunWorker(worker);
    }
    worker.wait();
}

void CCardCommands::SaveToCard() {
    const int count = ProgrammerCount();
    const bool gang = GangWriting(count, project_.GangMode != 0);
    Log(lkPurpleSection, gang ? QStringLiteral("Saving project to cards.")
                              : QStringLiteral("Saving project to card."));
    if (count == 0) {
        Log(lkDetail, latin1(kDemoModeRefusal));
        SetStatus(latin1(kOperationCancelled));
        return;
    }
    if (!StandAloneCheck()) {
        SetStatus(latin1(kOperationCancelled));
        return;
    }
    int programmer = 0;
    if (gang) {
        bool failed = false;
        for (int i = 0; i < count; ++i) {
            const std::int32_t port = programmers_[static_cast<std::size_t>(i)].Port;
            if (!library_.InitHardware(port)) {
                Log(lkDetail, QStringLiteral("Could not initialize hardware."));
                failed = true;
            }
            if (!library_.CardInserted(port)) {
                Log(lkDetail, QStringLiteral("Slot #%1 - card not inserted.").arg(i + 1));
                failed = true;
            }
        }
        if (failed) {
            Log(lkDetail, QStringLiteral("Project not saved."));
            return;
        }
        programmer = project_.ActiveDevice; // not used by the gang write
    } else {
        programmer = positionInList(static_cast<int>(project_.ProgrammerIndex), count);
        if (!ProgrammerReady(programmer)) {
            return;
        }
    }
    if (project_.DeviceCount == 0) {
        Log(lkDetail, QStringLiteral("Empty project - could not save."));
        return;
    }

    TCardThread worker(TransferJob(TCardThread::Write, programmer, gang));
    RunTransfer(worker, gang ? GangCardBusyText(0) : latin1(kBusyWritingCard));

    if (!worker.Success() && host_.ShowError) {
        host_.ShowError(latin1(kCouldNotSaveProject));
    }
    const QString outcome = latin1(worker.Success() ? kProjectSaved : kProjectSavingError);
    Log(lkDetail, outcome);
    SetStatus(outcome);
}

void CCardCommands::ReadFromCard() {
    const int count = ProgrammerCount();
    if (count == 0) {
        Log(lkDetail, latin1(kDemoModeRefusal));
        SetStatus(latin1(kOperationCancelled));
        return;
    }
    Log(lkPurpleSection, QStringLiteral("Reading project from card."));
    // With several programmers the active device's own one; the first when the active device
    // has none (more devices than programmers).
    const int programmer = count > 1 ? positionInList(project_.ActiveDevice, count) : 0;
    if (!ProgrammerReady(programmer)) {
        return;
    }
    // Reading replaces the project, whatever the card turns out to hold.
    project_.CloseAll(true);

    TCardThread worker(TransferJob(TCardThread::Read, programmer, false));
    RunTransfer(worker, latin1(kBusyReadingCard));

    if (!worker.ReadMessage().isEmpty() && host_.ShowError) {
        host_.ShowError(worker.ReadMessage());
    }
    if (project_.DeviceCount > 0 && host_.ProjectRead) {
        host_.ProjectRead();
    }
}

} // namespace zelmo::card
