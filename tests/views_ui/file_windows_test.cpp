// The file windows inside the main window: "Load" with its recent list, "Save" to a listed path,
// dropping files, and what a load reports. Every dialog is answered the way a user would answer
// it; the busy window that shows each worker is left to close by itself.

#include "app/ui/busy_window.h"
#include "app/ui/log_view.h"
#include "app/ui/main_window.h"
#include "common/temp_dir.h"
#include "editor/checksum_engine.h"
#include "formats/reload_decision.h"
#include "formats/ui/file_commands.h"
#include "formats/ui/load_file_dialog.h"
#include "formats/ui/save_file_dialog.h"
#include "project/device_descriptor.h"
#include "project/project_fixture.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <fstream>
#include <functional>
#include <thread>

namespace zelmo::formats {
namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::uint32_t kSize = 0x100;
const BuildDayBytes kDay{73, 18, 2, 16};

// Answers modal windows in order. The busy window is no question: it is passed over and closes
// when its worker ends.
class DialogScript {
public:
    using Answer = std::function<void(QWidget* dialog)>;

    void Then(Answer answer) {
        answers_.push_back(std::move(answer));
        timer_.setInterval(5);
        QObject::disconnect(&timer_, nullptr, nullptr, nullptr);
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start();
    }
    bool Done() const { return answers_.empty(); }
    // Texts of the message dialogs answered so far.
    const QStringList& Messages() const { return messages_; }

private:
    void poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (answers_.empty() || modal == nullptr || !modal->isVisible() ||
            qobject_cast<TfBusy*>(modal) != nullptr || modal->property("answered").toBool()) {
            return;
        }
        modal->setProperty("answered", true);
        if (auto* text = modal->findChild<QLabel*>(QStringLiteral("lText"))) {
            messages_ << text->text();
        }
        // The answer runs after this poll has returned: a dialog that opens another one (the
        // save dialog its file chooser) waits in a nested loop, where the poll must go on.
        QTimer::singleShot(0, modal,
                           [modal, answer = std::move(answers_.front())] { answer(modal); });
        answers_.pop_front();
    }

    std::deque<Answer> answers_;
    QStringList messages_;
    QTimer timer_;
};

void writeBytes(const std::filesystem::path& path, std::uint8_t value) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    const std::string bytes(kSize, static_cast<char>(value));
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

Bytes readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class FileWindowsTest : public testing::Test {
protected:
    FileWindowsTest() : window(kDay, {}, QString::fromLocal8Bit(qgetenv("ZELMO_BIN_DIR"))) {
        window.Project().SetSwapPath(QString::fromStdString(swap.path().string()));
        const auto added = window.Project().AddCompleteDevice(
            test::makeDescriptor({kSize, 0, 0, 0, 0}, DEV_FILES), [](CDevice& device) {
                SetFieldText(device.Buffers[0].Name, "Flash");
                device.Buffers[0].Organization = ORG_8BIT;
                device.Editable = 1;
                return true;
            });
        EXPECT_GE(added.Slot, 0);
        files = window.findChild<TFileCommands*>();
        EXPECT_NE(files, nullptr);
        // Ten files f0 ... f9 of bytes 0 ... 9 fill the memory's recent list.
        RecentList list;
        for (int i = 0; i < kRecentFiles; ++i) {
            writeBytes(file(i), static_cast<std::uint8_t>(i));
            list[static_cast<std::size_t>(i)] = NewFileEntry(path(i), FmtBinary);
        }
        memory().SetFiles(list);
    }
    ~FileWindowsTest() override { window.Project().CloseAll(true); }

    std::filesystem::path file(int i) const { return folder / ("f" + std::to_string(i) + ".bin"); }
    QString path(int i) const { return QString::fromStdString(file(i).string()); }
    MemoryState& memory() { return window.Project().Active()->Shown()->Memories[0]; }
    Bytes buffer() {
        Bytes bytes(kSize);
        EXPECT_TRUE(window.Project().Active()->Shown()->Read(0, 0, bytes));
        return bytes;
    }
    QStringList recentNames() {
        QStringList names;
        for (const FileEntryPtr& entry : memory().Recent) {
            names << (entry ? QFileInfo(entry->FileName).fileName() : QString());
        }
        return names;
    }
    // Runs `command` and answers its dialogs; fails the test when one was never asked.
    void run(const std::function<void()>& command) {
        command();
        for (int i = 0; i < 200 && !script.Done(); ++i) {
            QApplication::processEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        EXPECT_TRUE(script.Done()) << "a dialog the test expected did not open";
        QApplication::processEvents();
    }
    void dropFiles(const QStringList& paths) {
        QMimeData mime;
        QList<QUrl> urls;
        for (const QString& p : paths) {
            urls << QUrl::fromLocalFile(p);
        }
        mime.setUrls(urls);
        // As a drag does it: the window is entered, then the files are let go over it.
        QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &mime, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(&window, &enter);
        ASSERT_TRUE(enter.isAccepted()) << "the window takes files";
        QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&window, &drop);
        ASSERT_TRUE(drop.isAccepted());
    }
    static void clickOk(QWidget* dialog) {
        dialog->findChild<QPushButton*>(QStringLiteral("bOK"))->click();
    }

    test::TempDir swap;
    test::TempDir folder;
    TfMain window;
    TFileCommands* files = nullptr;
    DialogScript script;
};

TEST_F(FileWindowsTest, LoadingTheEighthRecentFileMovesItToTheFrontAndReportsTheChecksum) {
    script.Then([](QWidget* dialog) {
        auto* load = qobject_cast<TfLoadFile*>(dialog);
        ASSERT_NE(load, nullptr);
        ASSERT_EQ(load->cbFileName->count(), kRecentFiles);
        load->cbFileName->setCurrentIndex(7);
        emit load->cbFileName->activated(7);
        EXPECT_EQ(load->eFillValue->text(), "FF") << "the entry's options are shown";
        clickOk(load);
    });
    run([this] { files->miLoadBufferClick(); });

    EXPECT_EQ(buffer(), Bytes(kSize, 7));
    EXPECT_EQ(recentNames(), (QStringList{"f7.bin", "f0.bin", "f1.bin", "f2.bin", "f3.bin",
                                          "f4.bin", "f5.bin", "f6.bin", "f8.bin", "f9.bin"}));
    EXPECT_EQ(memory().Current, memory().Recent[0]);
    EXPECT_EQ(memory().Modified, 0);

    // The checksum asked for by the entry is computed and reported after the file name.
    const Bytes bytes = buffer();
    const std::uint32_t sum = editor::byteSum(bytes);
    EXPECT_EQ(memory().ChecksumValid, 1);
    EXPECT_EQ(memory().Checksum, sum);
    QStringList log = window.LogView()->Text().split(u'\n');
    for (QString& line : log) {
        line = line.trimmed();
    }
    const int name = static_cast<int>(log.indexOf(path(7)));
    ASSERT_GE(name, 0) << window.LogView()->Text().toStdString();
    ASSERT_LT(name + 1, log.size());
    EXPECT_EQ(log[name + 1],
              QStringLiteral("Buffer checksum: %1.")
                  .arg(QStringLiteral("%1").arg(sum, 8, 16, QLatin1Char('0')).toUpper()));

    // The load recorded the file's time: ReloadFile 2 skips the file until it is edited outside.
    EXPECT_EQ(DecideReload(2, memory()).action, ReloadAction::Skip);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    writeBytes(file(7), 0x77);
    EXPECT_EQ(DecideReload(2, memory()).action, ReloadAction::Load);
}

TEST_F(FileWindowsTest, SavingToTheFifthEntrysPathMovesThatEntryToTheFront) {
    const Bytes edited{0x5A, 0xA5};
    ASSERT_TRUE(window.Project().Active()->Shown()->Write(0, 0, edited));
    script.Then([](QWidget* dialog) {
        ASSERT_NE(qobject_cast<TfSaveFile*>(dialog), nullptr);
        clickOk(dialog);
    });
    script.Then([this](QWidget* dialog) {
        auto* chooser = qobject_cast<QFileDialog*>(dialog);
        ASSERT_NE(chooser, nullptr);
        // Typed into the name field and confirmed with the dialog's Save button.
        auto* name = chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        auto* buttons = chooser->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        ASSERT_TRUE(name != nullptr && buttons != nullptr);
        name->setText(path(4));
        buttons->button(QDialogButtonBox::Save)->click();
    });
    script.Then([](QWidget* dialog) { // the system dialog asks before it replaces a file
        if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
            box->button(QMessageBox::Yes)->click();
        }
    });
    run([this] { files->miSaveBufferClick(); });

    EXPECT_EQ(recentNames(), (QStringList{"f4.bin", "f0.bin", "f1.bin", "f2.bin", "f3.bin",
                                          "f5.bin", "f6.bin", "f7.bin", "f8.bin", "f9.bin"}))
        << "moved, not added a second time";
    EXPECT_EQ(readFile(file(4)), buffer());
    EXPECT_EQ(memory().Modified, 0);
}

TEST_F(FileWindowsTest, DroppingTwoFilesIsRefusedAndOneFileLoadsThroughTheDialog) {
    script.Then([](QWidget* dialog) { qobject_cast<QDialog*>(dialog)->accept(); }); // the message
    run([this] { dropFiles({path(1), path(2)}); });
    EXPECT_EQ(script.Messages(), QStringList{"Only one file can be dropped."});
    EXPECT_EQ(buffer(), Bytes(kSize, 0xFF)) << "nothing was loaded";

    const std::filesystem::path outside = folder / "dropped.bin";
    writeBytes(outside, 0x3C);
    script.Then([](QWidget* dialog) {
        auto* load = qobject_cast<TfLoadFile*>(dialog);
        ASSERT_NE(load, nullptr);
        EXPECT_EQ(load->cbFileName->currentIndex(), 0) << "the dropped file is chosen";
        clickOk(load);
    });
    run([&] { dropFiles({QString::fromStdString(outside.string())}); });
    EXPECT_EQ(buffer(), Bytes(kSize, 0x3C));
    EXPECT_EQ(recentNames().first(), "dropped.bin");
    EXPECT_TRUE(window.LogView()->Text().contains("File dropped. Target buffer: Flash..."));
}

} // namespace
} // namespace zelmo::formats
