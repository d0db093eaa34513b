// The card commands through the simulated programmers: identification of several cards, the
// single and gang save, the stand-alone check, a failed write, and a project that goes to the
// card and comes back whole.

#include "memory_card.h"
#include "persistence/card/card_commands.h"
#include "persistence/card/card_identification.h"
#include "persistence/card/card_library.h"
#include "persistence/card/portable.h"
#include "project/executor.h"
#include "simulated_programmers.h"

#include <gtest/gtest.h>

#include <QThread>

#include <cstring>

namespace zelmo {
namespace {

using card::CardLogLine;

// What the window would have shown.
struct RecordingHost {
    std::vector<CardLogLine> log;
    QStringList status, errors, busyTexts;
    int projectReads = 0;

    card::CardCommandHost host() {
        return {.Log =
                    [this](LogKind kind, const QString& text) {
                        log.push_back({kind, text});
                    },
                .SetStatusMessage = [this](const QString& text) { status << text; },
                .ShowError = [this](const QString& text) { errors << text; },
                .RunBusy =
                    [this](QThread& worker, const QString& text, Progress&, Progress&) {
                        busyTexts << text;
                        RunWorker(worker);
                    },
                .SetBusyText = [this](const QString& text) { busyTexts << text; },
                .ProjectRead = [this] { ++projectReads; }};
    }
    QStringList texts() const {
        QStringList out;
        for (const CardLogLine& line : log) {
            out << line.Text;
        }
        return out;
    }
};

class CardCommands : public test::SimulatedProgrammers {
protected:
    void StartCommands(const std::string& ini) {
        ASSERT_NO_FATAL_FAILURE(Start(ini));
        library = std::make_unique<card::CardLibraryCalls>(card::CardEntryPointsOf(session->Api()));
        commands = std::make_unique<card::CCardCommands>(project, *library, executor, appDir,
                                                         recorded.host());
        commands->SetProgrammers(session->Programmers());
    }
    // The devices on the card of the programmer at `port`, read into a project of their own.
    std::vector<std::string> DevicesOnCard(int port) {
        TProject read;
        test::TempDir swap;
        read.SetSwapPath(qpathOf(swap.path()));
        card::CardContext context;
        context.Library = library.get();
        context.AppDir = appDir;
        const Result result = card::CPortable(context).Read(read, port);
        EXPECT_TRUE(result.ok) << "card " << port << ": " << result.message.toStdString();
        std::vector<std::string> names;
        for (int d = 0; d < read.DeviceCount; ++d) {
            names.push_back(FieldQString(read.Devices[static_cast<std::size_t>(d)]->Descriptor.Name)
                                .toStdString());
        }
        read.CloseAll(true);
        return names;
    }

    CMainThreadExecutor executor;
    RecordingHost recorded;
    std::unique_ptr<card::CardLibraryCalls> library;
    std::unique_ptr<card::CCardCommands> commands;
};

TEST_F(CardCommands, IdentifyReportsEveryCardUnderItsSlot) {
    ASSERT_NO_FATAL_FAILURE(StartCommands("[simulator]\nprogrammers = 3\n"
                                          "[programmer 2]\ncard = no\n"
                                          "[programmer 3]\ncard_lba = no\ncard_features = 0x0001\n"
                                          "card_firmware = CF2.07\ncard_size = 64M\n"));
    commands->IdentifyCards();
    const QString model = QStringLiteral("ZELMO SIMULATED CF").leftJustified(40);
    const std::vector<CardLogLine> expected = {
        {lkPurpleSection, "CompactFlash card identification"},
        {lkDetail, "Card slot #1."},
        {lkSubDetail, "Current capacity: 32.0 MB (33554432 bytes)"},
        {lkSubDetail, "Serial number: ZSCF100001          "},
        {lkSubDetail, "Firmware revision: ZS1.00  "},
        {lkSubDetail, "Model number: " + model},
        {lkDetail, "Card slot #2."},
        {lkSubDetail, "Card not inserted."},
        {lkDetail, "Card slot #3."},
        {lkSubDetail, "Current capacity: 64.0 MB (67108864 bytes)"},
        {lkSubDetail, "Serial number: ZSCF100003          "},
        {lkSubDetail, "Firmware revision: CF2.07  "},
        {lkSubDetail, "Model number: " + model},
        {lkFailureSubDetail, "Error! LBA mode not supported. This card is not recommended to use."},
        {lkPurpleSubDetail, "Warning! Required features may not be supported."},
    };
    EXPECT_EQ(recorded.log, expected);
}

TEST_F(CardCommands, GangSaveWritesDeviceIToTheCardOfProgrammerIOnly) {
    ASSERT_NO_FATAL_FAILURE(StartCommands("[simulator]\nprogrammers = 3\n"));
    project.GangMode = 1;
    const char* names[] = {"AT28C16", "AT28C64B", "AT24C02", "24LC16B", "AT89C51"};
    const char* vendors[] = {"ATM", "ATM", "ATM", "MCHP", "ATM"};
    const char* packages[] = {"DIP24", "DIP28", "DIP8", "DIP8", "DIP40"};
    for (int d = 0; d < 5; ++d) {
        ASSERT_EQ(AddDevice(vendors[d], names[d], packages[d]), d);
    }
    EXPECT_EQ(commands->Menus().SaveToCard.Caption, "Save to cards");
    commands->SaveToCard();

    EXPECT_EQ(recorded.busyTexts,
              (QStringList{"Writing CF card - socket #1.", "Writing CF card - socket #1.",
                           "Writing CF card - socket #2.", "Writing CF card - socket #3."}));
    EXPECT_EQ(recorded.texts(), (QStringList{"Saving project to cards.", "Project saved."}));
    EXPECT_EQ(recorded.status, QStringList{"Project saved."});
    EXPECT_EQ(project.Devices[0]->StatusText, "Project saved.");
    EXPECT_TRUE(recorded.errors.isEmpty());
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(DevicesOnCard(i + 1), std::vector<std::string>{names[i]});
    }
}

TEST_F(CardCommands, ADeviceWithoutStandAloneSupportIsListedAndNothingIsWritten) {
    ASSERT_NO_FATAL_FAILURE(StartCommands("[simulator]\nprogrammers = 1\n"));
    ASSERT_EQ(AddDevice("ATM", "AT28C16", "DIP24"), 0);
    commands->SaveToCard(); // a first image, to see that the refused save leaves it alone
    ASSERT_EQ(recorded.status, QStringList{"Project saved."});
    const std::string before = test::readFile(CardFile(1));
    ASSERT_FALSE(before.empty());

    ASSERT_EQ(AddDevice("MXIC", "MX23C1010", "DIP32"), 1);
    recorded = {};
    commands->SaveToCard();
    const std::vector<CardLogLine> expected = {
        {lkPurpleSection, "Saving project to card."},
        {lkDetail, "Following devices are not designed to work in stand-alone mode."},
        {lkSubDetail, "02: Macronix, MX23C1010 / DIP32"},
        {lkDetail, "Remove these devices before saving."},
    };
    EXPECT_EQ(recorded.log, expected);
    EXPECT_EQ(recorded.status, QStringList{"Operation cancelled."});
    EXPECT_TRUE(recorded.busyTexts.isEmpty());
    EXPECT_EQ(test::readFile(CardFile(1)), before);
}

TEST_F(CardCommands, AFailedCardWriteShowsTheBoxAndNeverReportsSaved) {
    const struct {
        const char* ini;
        bool gang;
        QStringList busyTexts;
    } cases[] = {
        {"[simulator]\nprogrammers = 1\nfail = card_write\n",
         false,
         {"Writing CF card.", "Writing CF card."}},
        // The second card fails: the gang stops there and the third is never written.
        {"[simulator]\nprogrammers = 3\n[programmer 2]\nfail = card_write\n",
         true,
         {"Writing CF card - socket #1.", "Writing CF card - socket #1.",
          "Writing CF card - socket #2."}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ini);
        TearDown();
        recorded = {};
        ASSERT_NO_FATAL_FAILURE(StartCommands(c.ini));
        project.GangMode = c.gang ? 1 : 0;
        ASSERT_EQ(AddDevice("ATM", "AT28C16", "DIP24"), 0);
        ASSERT_EQ(AddDevice("ATM", "AT28C64B", "DIP28"), 1);
        ASSERT_EQ(AddDevice("ATM", "AT24C02", "DIP8"), 2);
        commands->SaveToCard();
        EXPECT_EQ(recorded.errors, QStringList{"Could not save project."});
        EXPECT_EQ(recorded.texts().last(), "Project saving error.");
        EXPECT_FALSE(recorded.texts().contains("Project saved."));
        EXPECT_EQ(recorded.status, QStringList{"Project saving error."});
        EXPECT_EQ(recorded.busyTexts, c.busyTexts);
    }
}

TEST_F(CardCommands, AProjectGoesToTheCardAndComesBackWhole) {
    ASSERT_NO_FATAL_FAILURE(StartCommands("[simulator]\nprogrammers = 1\n"));
    struct Saved {
        std::string name;
        std::vector<std::string> dataSets;
        int selected = 0;
        std::vector<std::vector<std::uint8_t>> memories;
    };
    std::vector<Saved> saved;
    std::uint32_t seed = 7;
    const char* devices[][3] = {
        {"MCHP", "PIC16F84A", "DIP18"}, {"ATM", "AT89C51", "DIP40"}, {"ATM", "AT28C16", "DIP24"}};
    for (int d = 0; d < 3; ++d) {
        ASSERT_EQ(AddDevice(devices[d][0], devices[d][1], devices[d][2]), d);
        ASSERT_FALSE(project.AddDataSet(d, SwapInit::ResetAndFill, 0, "Second data set").empty());
        CDevice& device = *project.Devices[static_cast<std::size_t>(d)];
        ASSERT_TRUE(project.SelectDataSet(d, d == 1 ? 0 : 1));
        Saved s{devices[d][1], {}, device.SelectedDataSet, {}};
        for (int j = 0; j < 2; ++j) {
            CDataSet& ds = *device.DataSets[static_cast<std::size_t>(j)];
            s.dataSets.push_back(ds.Name);
            for (int m = 0; m <= kAreaE; ++m) {
                const std::vector<std::uint8_t> bytes = test::bytePattern(ds.MemSize(m), seed++);
                ASSERT_TRUE(ds.Write(m, 0, bytes));
                s.memories.push_back(bytes);
            }
        }
        saved.push_back(s);
    }
    ASSERT_TRUE(project.SetActiveDevice(1));
    commands->SaveToCard();
    ASSERT_EQ(recorded.status, QStringList{"Project saved."});

    recorded = {};
    commands->ReadFromCard();
    EXPECT_TRUE(recorded.errors.isEmpty()) << recorded.errors.join('\n').toStdString();
    EXPECT_EQ(recorded.busyTexts, QStringList{"Reading project from card..."});
    EXPECT_EQ(recorded.projectReads, 1);
    EXPECT_EQ(recorded.texts(),
              (QStringList{"Reading project from card.", "Device restored: 01: PIC16F84A / DIP18.",
                           "Device restored: 02: AT89C51 / DIP40.",
                           "Device restored: 03: AT28C16 / DIP24."}));
    ASSERT_EQ(project.DeviceCount, 3);
    EXPECT_EQ(project.ActiveDevice, 1);
    for (int d = 0; d < 3; ++d) {
        const CDevice& device = *project.Devices[static_cast<std::size_t>(d)];
        const Saved& s = saved[static_cast<std::size_t>(d)];
        EXPECT_EQ(FieldQString(device.Descriptor.Name).toStdString(), s.name);
        EXPECT_EQ(device.SelectedDataSet, s.selected);
        ASSERT_EQ(device.DataSetCount, 2);
        std::size_t memory = 0;
        for (int j = 0; j < 2; ++j) {
            const CDataSet& ds = *device.DataSets[static_cast<std::size_t>(j)];
            EXPECT_EQ(ds.Name, s.dataSets[static_cast<std::size_t>(j)]);
            for (int m = 0; m <= kAreaE; ++m) {
                std::vector<std::uint8_t> bytes(ds.MemSize(m));
                ASSERT_TRUE(ds.Read(m, 0, bytes));
                EXPECT_EQ(bytes, s.memories[memory++]) << s.name << " " << j << "/" << m;
            }
        }
    }
}

TEST_F(CardCommands, ReadingABlankCardStillReplacesTheProject) {
    ASSERT_NO_FATAL_FAILURE(StartCommands("[simulator]\nprogrammers = 1\n"));
    ASSERT_EQ(AddDevice("ATM", "AT28C16", "DIP24"), 0);
    commands->ReadFromCard();
    EXPECT_EQ(project.DeviceCount, 0);
    EXPECT_EQ(recorded.errors, QStringList{"Could not read project."});
    EXPECT_EQ(recorded.projectReads, 0);
}

TEST_F(CardCommands, CardChecksStopBeforeAnyTransfer) {
    ASSERT_NO_FATAL_FAILURE(StartCommands("[simulator]\nprogrammers = 1\ncard = no\n"));
    ASSERT_EQ(AddDevice("ATM", "AT28C16", "DIP24"), 0);
    commands->SaveToCard();
    commands->ReadFromCard();
    EXPECT_EQ(recorded.texts(), (QStringList{"Saving project to card.", "Card not inserted.",
                                             "Reading project from card.", "Card not inserted."}));
    EXPECT_EQ(project.DeviceCount, 1) << "a read that cannot start keeps the project";
    EXPECT_TRUE(recorded.busyTexts.isEmpty());
}

TEST_F(CardCommands, DemoModeRefusesEveryCardCommand) {
    ASSERT_NO_FATAL_FAILURE(StartCommands("[simulator]\nprogrammers = 0\n"));
    commands->IdentifyCards();
    commands->SaveToCard();
    commands->ReadFromCard();
    EXPECT_EQ(
        recorded.texts(),
        (QStringList{"CompactFlash card identification", "Operation not available in demo mode.",
                     "Saving project to card.", "Operation not available in demo mode.",
                     "Operation not available in demo mode."}));
    EXPECT_EQ(recorded.status, (QStringList{"Operation cancelled.", "Operation cancelled."}));
}

ProgrammerInfo programmer(std::uint8_t model) {
    ProgrammerInfo p{};
    p.Model = model;
    return p;
}

TEST(CardMenus, CaptionsAndEnablingFollowTheProgrammersAndGangMode) {
    const struct {
        std::vector<std::uint8_t> models;
        bool gangMode;
        const char* identify;
        const char* save;
        bool readEnabled, saveEnabled;
    } cases[] = {
        {{}, false, "Identify CompactFlash card", "Save to card", false, false},
        {{1}, true, "Identify CompactFlash card", "Save to card", true, true},
        {{2}, false, "Identify CompactFlash card", "Save to card", true, false},
        {{1, 1}, false, "Identify CompactFlash card", "Save to card", false, false},
        {{1, 1}, true, "Identify CompactFlash cards", "Save to cards", true, true},
        {{1, 2}, true, "Identify CompactFlash cards", "Save to cards", true, false},
    };
    for (const auto& c : cases) {
        std::vector<ProgrammerInfo> programmers;
        for (std::uint8_t m : c.models) {
            programmers.push_back(programmer(m));
        }
        const card::CardMenuStates menus = card::CardMenus(programmers, c.gangMode);
        const std::string label = std::to_string(c.models.size()) + (c.gangMode ? " gang" : "");
        EXPECT_EQ(menus.IdentifyCF.Caption, c.identify) << label;
        EXPECT_TRUE(menus.IdentifyCF.Enabled) << label;
        EXPECT_EQ(menus.EraseCF.Caption, QString(c.identify).replace("Identify", "Erase")) << label;
        EXPECT_FALSE(menus.EraseCF.Enabled) << label;
        EXPECT_EQ(menus.ReadFromCard.Enabled, c.readEnabled) << label;
        EXPECT_EQ(menus.SaveToCard.Caption, c.save) << label;
        EXPECT_EQ(menus.SaveToCard.Enabled, c.saveEnabled) << label;
    }
}

// An identification block with the given words (little-endian) and ATA texts.
card::Sector identification(std::initializer_list<std::pair<int, std::uint16_t>> words) {
    card::Sector block{};
    for (auto [n, value] : words) {
        block[static_cast<std::size_t>(2 * n)] = static_cast<std::uint8_t>(value & 0xFF);
        block[static_cast<std::size_t>(2 * n + 1)] = static_cast<std::uint8_t>(value >> 8);
    }
    return block;
}

TEST(CardIdentification, LinesFollowTheBlock) {
    // 4 GiB (w58:w57 = 0x0080:0000 sectors), LBA, serial "AB" then a NUL and a line end.
    const card::Sector big =
        identification({{57, 0x0000}, {58, 0x0080}, {10, 0x4142}, {11, 0x000A}, {49, 0x0200}});
    const std::vector<CardLogLine> lines = card::IdentificationLines(big, 1);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], (CardLogLine{lkDetail, "Current capacity: 4.00 GB (4294967296 bytes)"}));
    EXPECT_EQ(lines[1].Text, "Serial number: AB" + QString(18, ' '));
    EXPECT_EQ(lines[2].Text, "Firmware revision: " + QString(8, ' '));
    EXPECT_EQ(lines[3].Text, "Model number: " + QString(40, ' '));

    // Word 82 warns only when it is neither 0 nor 0xFFFF and lacks both feature bits.
    const struct {
        std::uint16_t word82;
        bool warned;
    } features[] = {{0x0000, false}, {0xFFFF, false}, {0x0001, true},
                    {0x1000, false}, {0x2000, false}, {0x4001, true}};
    for (const auto& f : features) {
        const std::vector<CardLogLine> l =
            card::IdentificationLines(identification({{49, 0x0200}, {82, f.word82}}), 2);
        EXPECT_EQ(l.size(), f.warned ? 5u : 4u) << f.word82;
        if (f.warned) {
            EXPECT_EQ(l.back().Kind, lkPurpleSubDetail);
        }
    }
}

} // namespace
} // namespace zelmo
