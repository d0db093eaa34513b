#include "persistence/settings_document.h"

#include "common/fifo.h"
#include "common/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <csignal>
#include <filesystem>
#include <string>

#include <sys/resource.h>
#include <sys/stat.h>

namespace zelmo {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::TempDir;
using test::writeFile;

// UTF-16LE bytes of an ASCII text.
std::string Utf16(std::string_view ascii) {
    std::string out;
    for (char c : ascii) {
        out.push_back(c);
        out.push_back('\0');
    }
    return out;
}

const std::string kBom = "\xFF\xFE";
const std::string kDecl = "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n";

QString Q(const fs::path& p) {
    return QString::fromStdString(p.string());
}

TEST(SettingsDocument, WritesTheDocumentByteForByte) {
    TempDir dir;
    const fs::path file = dir / "Zelmo2.ini";
    {
        CMyIni ini;
        ASSERT_TRUE(ini.Open(Q(file), "Settings", false));
        EXPECT_TRUE(ini.WriteInt("Config", "TimerInterval", 333));
        EXPECT_TRUE(ini.Modified());
    }
    const std::string expected = kBom + Utf16(kDecl + "<Settings>\r\n"
                                                      "<Config>\r\n"
                                                      " <TimerInterval value = \"14d\"/>\r\n"
                                                      "</Config>\r\n"
                                                      "</Settings>");
    EXPECT_EQ(readFile(file), expected);
}

TEST(SettingsDocument, EveryEncodingRoundTrips) {
    struct IntCase {
        std::int32_t value;
        const char* text;
    };
    const IntCase ints[] = {{-1, "ffffffff"},      {333, "14d"},          {0, "0"},
                            {INT_MIN, "80000000"}, {INT_MAX, "7fffffff"}, {16, "10"}};
    struct Int64Case {
        std::int64_t value;
        const char* text;
    };
    const Int64Case int64s[] = {{0x1234, "000001234"},
                                {0, "000000000"},
                                {-1, "ffffffffffffffff"},
                                {0x100000000LL, "100000000"},
                                {0x0abc00000001LL, "abc00000001"},
                                {INT64_MIN, "8000000000000000"}};
    const QString wide = QString::fromUtf8("C:/Daten/Grüße Ω € <tag> 'x' /> \r\n end");
    const std::string latin = "caf\xE9 \xFF\xA0!";

    TempDir dir;
    const fs::path file = dir / "round.ini";
    {
        CMyIni ini;
        ASSERT_TRUE(ini.Open(Q(file), "Root", false));
        int i = 0;
        for (const auto& c : ints) {
            ASSERT_TRUE(ini.WriteInt("Ints", QString("k%1").arg(i++), c.value));
        }
        i = 0;
        for (const auto& c : int64s) {
            ASSERT_TRUE(ini.WriteInt64("Int64s", QString("k%1").arg(i++), c.value));
        }
        ASSERT_TRUE(ini.WriteText("Texts", "Wide", wide));
        ASSERT_TRUE(ini.WriteText("Texts", "Empty", ""));
        ASSERT_TRUE(ini.WriteAnsiText("Texts", "Latin", latin));
    }
    CMyIni ini;
    ASSERT_TRUE(ini.Open(Q(file), "Root", true));
    int i = 0;
    for (const auto& c : ints) {
        const QString key = QString("k%1").arg(i++);
        EXPECT_EQ(ini.ReadText("Ints", key, "-"), c.text);
        EXPECT_EQ(ini.ReadInt("Ints", key, 7), c.value) << c.text;
    }
    i = 0;
    for (const auto& c : int64s) {
        const QString key = QString("k%1").arg(i++);
        EXPECT_EQ(ini.ReadText("Int64s", key, "-"), c.text);
        EXPECT_EQ(ini.ReadInt64("Int64s", key, 7), c.value) << c.text;
    }
    EXPECT_EQ(ini.ReadText("Texts", "Wide", "-"), wide);
    EXPECT_EQ(ini.ReadText("Texts", "Empty", "-"), "");
    EXPECT_EQ(ini.ReadText("Texts", "Latin", "-"), QString::fromUtf8("café \u00FF\u00A0!"));
    EXPECT_EQ(ini.ReadAnsiText("Texts", "Latin", "-"), latin);
    // Bounded reads: at most maxChars characters, at most maxBytes - 1 bytes.
    EXPECT_EQ(ini.ReadText("Texts", "Wide", "-", 4), "C:/D");
    EXPECT_EQ(ini.ReadAnsiText("Texts", "Latin", "-", 4), "caf");
    // Characters beyond 8 bits have no 8-bit form and read as "?".
    EXPECT_EQ(ini.ReadAnsiText("Texts", "Wide", "-", 19), "C:/Daten/Gr\xFC\xDF"
                                                          "e ? ?");
    // Missing section or key gives the default.
    EXPECT_EQ(ini.ReadInt("Nope", "k0", 42), 42);
    EXPECT_EQ(ini.ReadInt64("Ints", "nope", -5), -5);
    EXPECT_EQ(ini.ReadText("Texts", "nope", "def"), "def");
    EXPECT_EQ(ini.ReadAnsiText("Texts", "nope", "def"), "def");
}

TEST(SettingsDocument, LoaderAcceptsWhatItShouldAndRejectsTheRest) {
    const std::string body = "<Settings>\r\n<A>\r\n <K value = \"1\"/>\r\n</A>\r\n</Settings>";
    struct Case {
        const char* name;
        std::string bytes;
        bool loads;
    };
    const Case cases[] = {
        {"ours", kBom + Utf16(kDecl + body), true},
        {"foreign declaration",
         kBom + Utf16("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n" + body), true},
        {"no byte order mark, no declaration", Utf16(body), true},
        {"text before the root tag", kBom + Utf16("junk <x> \"q\"\r\n" + body), true},
        {"empty root", Utf16("<Settings></Settings>"), true},
        {"empty file", "", false},
        {"8-bit text", kDecl + body, false},
        {"no root start tag", Utf16("<Other>\r\n</Other>"), false},
        {"no root end tag", Utf16("<Settings>\r\n<A>\r\n <K value = \"1\"/>\r\n</A>\r\n"), false},
        {"section name without >", Utf16("<Settings>\r\n<A\r\n</Settings>"), false},
        {"section without end tag",
         Utf16("<Settings>\r\n<A>\r\n <K value = \"1\"/>\r\n</Settings>"), false},
        {"entry without value", Utf16("<Settings>\r\n<A>\r\n <K/>\r\n</A>\r\n</Settings>"), false},
        {"entry running into the end tag",
         Utf16("<Settings>\r\n<A>\r\n <K value = \"1</A>\r\n</Settings>"), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const fs::path file = dir / "doc.ini";
        ASSERT_TRUE(writeFile(file, c.bytes));
        CMyIni ini;
        EXPECT_EQ(ini.Open(Q(file), "Settings", true), c.loads);
        if (c.loads && c.bytes.find("<K") != std::string::npos) {
            EXPECT_EQ(ini.ReadInt("A", "K", 0), 1);
        }
    }
}

TEST(SettingsDocument, ReadsFollowTheFileAsTyped) {
    TempDir dir;
    const fs::path file = dir / "typed.ini";
    ASSERT_TRUE(writeFile(file, kBom + Utf16(kDecl + "<R>\r\n"
                                                     "<S>\r\n"
                                                     " <Dec value = \"10\"/>\r\n"
                                                     " <Key value = \"1\"/>\r\n"
                                                     " <key value = \"2\"/>\r\n"
                                                     " <KEY\tvalue=\"3\" ignored/> trailing\r\n"
                                                     " <Junk value = \"zz9\"/>\r\n"
                                                     " <Lead value = \"12xyz\"/>\r\n"
                                                     " <Upper value = \"ABCDEF\"/>\r\n"
                                                     " <Big value = \"123456789\"/>\r\n"
                                                     " <Big64 value = \"10\"/>\r\n"
                                                     " <Huge64 value = \"123456789abcdef01\"/>\r\n"
                                                     "</S>\r\n"
                                                     "<Empty>\r\n</Empty>\r\n"
                                                     "<S>\r\n <Key value = \"99\"/>\r\n"
                                                     " <Other value = \"5\"/>\r\n</S>\r\n"
                                                     "</R>")));
    CMyIni ini;
    ASSERT_TRUE(ini.Open(Q(file), "R", true));
    EXPECT_EQ(ini.ReadInt("S", "Dec", 0), 16);
    // Keys differ by case; a duplicate section is shadowed by the first one.
    EXPECT_EQ(ini.ReadInt("S", "Key", 0), 1);
    EXPECT_EQ(ini.ReadInt("S", "key", 0), 2);
    EXPECT_EQ(ini.ReadInt("S", "KEY", 0), 3);
    EXPECT_EQ(ini.ReadInt("S", "Other", -7), -7);
    EXPECT_EQ(ini.ReadInt("s", "Key", -7), -7);
    // Leading hexadecimal digits count; past 32 bits gives the largest value.
    EXPECT_EQ(ini.ReadInt("S", "Junk", 5), 0);
    EXPECT_EQ(ini.ReadInt("S", "Lead", 5), 0x12);
    EXPECT_EQ(ini.ReadInt("S", "Upper", 5), 0xABCDEF);
    EXPECT_EQ(ini.ReadInt("S", "Big", 5), -1);
    EXPECT_EQ(ini.ReadInt64("S", "Big64", 5), 16);
    EXPECT_EQ(ini.ReadInt64("S", "Huge64", 5), -1);
    EXPECT_FALSE(ini.Modified());
}

TEST(SettingsDocument, ReadOnlyUseLeavesTheFileUntouched) {
    const std::string valid = kBom + Utf16(kDecl + "<R>\r\n<S>\r\n <K value = \"1\"/>\r\n</S>\r\n"
                                                   "<Empty>\r\n</Empty>\r\n</R>");
    const std::string broken = kBom + Utf16(kDecl + "<R>\r\n<S>\r\n <K value = \"1\"/>\r\n");
    for (const std::string* bytes : {&valid, &broken}) {
        TempDir dir;
        const fs::path file = dir / "doc.ini";
        ASSERT_TRUE(writeFile(file, *bytes));
        const auto past = fs::file_time_type::clock::now() - std::chrono::hours(24 * 400);
        fs::last_write_time(file, past);
        {
            CMyIni ini;
            EXPECT_EQ(ini.Open(Q(file), "R", true), bytes == &valid);
            EXPECT_EQ(ini.ReadInt("S", "K", 0), bytes == &valid ? 1 : 0);
        }
        EXPECT_EQ(readFile(file), *bytes);
        EXPECT_EQ(fs::last_write_time(file), past);
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
    }
    // A missing file loads as an empty document and is not created by reading.
    TempDir dir;
    {
        CMyIni ini;
        EXPECT_TRUE(ini.Open(Q(dir / "missing.ini"), "R", true));
        EXPECT_EQ(ini.ReadInt("S", "K", 9), 9);
    }
    EXPECT_FALSE(fs::exists(dir / "missing.ini"));
}

TEST(SettingsDocument, FifoOrDeviceLoadsAtOnceAsAFileThatCannotBeOpened) {
    TempDir dir;
    const fs::path fifo = dir / "fifo.ini";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const fs::path& file : {fifo, fs::path("/dev/zero")}) {
        const bool loaded = test::returnsPromptly(file, [&] {
            CMyIni ini;
            return ini.Open(Q(file), "R", true) && ini.ReadInt("S", "K", 7) == 7;
        });
        EXPECT_TRUE(loaded) << file;
    }
}

TEST(SettingsDocument, RewriteKeepsOrderAndDropsEmptySections) {
    TempDir dir;
    const fs::path file = dir / "doc.ini";
    ASSERT_TRUE(writeFile(file, kBom + Utf16(kDecl + "<R>\r\n<B>\r\n <Y value = \"1\"/>\r\n"
                                                     " <X value = \"2\"/>\r\n</B>\r\n"
                                                     "<Empty>\r\n</Empty>\r\n</R>")));
    {
        CMyIni ini;
        ASSERT_TRUE(ini.Open(Q(file), "R", true));
        EXPECT_TRUE(ini.WriteInt("B", "Y", 0x20));
        EXPECT_TRUE(ini.WriteInt("A", "Z", 3));
        EXPECT_TRUE(ini.WriteInt("B", "W", 4));
        EXPECT_TRUE(ini.Save());
        EXPECT_FALSE(ini.Modified());
    }
    EXPECT_EQ(readFile(file), kBom + Utf16(kDecl + "<R>\r\n<B>\r\n"
                                                   " <Y value = \"20\"/>\r\n"
                                                   " <X value = \"2\"/>\r\n"
                                                   " <W value = \"4\"/>\r\n</B>\r\n"
                                                   "<A>\r\n <Z value = \"3\"/>\r\n</A>\r\n</R>"));
}

TEST(SettingsDocument, RefusesWhatCouldNotBeReadBack) {
    struct Case {
        const char* section;
        const char* key;
        const char* value;
    };
    const Case refused[] = {
        {"S", "a key", "v"},  {"S", "tab\tkey", "v"}, {"S", "K", "say \"hi\""}, {"S>", "K", "v"},
        {"S", "K", "x</S>y"}, {"S", "K", "x</R>"},    {"/R", "K", "v"},         {"S", "K</S>", "v"},
        {"S", "/S>", "v"},    {"S", "/R>", "v"},      {"R", "K", "v"},
    };
    TempDir dir;
    const fs::path file = dir / "doc.ini";
    {
        CMyIni ini;
        ASSERT_TRUE(ini.Open(Q(file), "R", false));
        for (const Case& c : refused) {
            EXPECT_FALSE(ini.WriteText(c.section, c.key, c.value)) << c.section << c.key << c.value;
        }
        EXPECT_FALSE(ini.WriteAnsiText("S", "a b", "v"));
        EXPECT_FALSE(ini.WriteInt("S", "a b", 1));
        EXPECT_FALSE(ini.WriteInt64("S", "a\tb", 1));
        EXPECT_FALSE(ini.Modified());
        // Neighbours of the refused texts are fine.
        EXPECT_TRUE(ini.WriteText("S", "K", "x</T> <a> 'q' </R"));
        EXPECT_TRUE(ini.WriteText("S<", "K\"", "v"));
    }
    CMyIni ini;
    ASSERT_TRUE(ini.Open(Q(file), "R", true));
    EXPECT_EQ(ini.ReadText("S", "K", "-"), "x</T> <a> 'q' </R");
    EXPECT_EQ(ini.ReadText("S<", "K\"", "-"), "v");
}

TEST(SettingsDocument, LargeDocumentRoundTrips) {
    TempDir dir;
    const fs::path file = dir / "large.ini";
    constexpr int kSections = 300;
    constexpr int kKeys = 500;
    {
        CMyIni ini;
        ASSERT_TRUE(ini.Open(Q(file), "Project", false));
        for (int s = 0; s < kSections; ++s) {
            const QString section = QString("Section%1").arg(s);
            for (int k = 0; k < kKeys; ++k) {
                ASSERT_TRUE(ini.WriteInt(section, QString("Key%1").arg(k), s * kKeys + k));
            }
        }
    }
    CMyIni ini;
    ASSERT_TRUE(ini.Open(Q(file), "Project", true));
    for (int s = 0; s < kSections; ++s) {
        const QString section = QString("Section%1").arg(s);
        for (int k = 0; k < kKeys; ++k) {
            ASSERT_EQ(ini.ReadInt(section, QString("Key%1").arg(k), -1), s * kKeys + k);
        }
    }
    EXPECT_EQ(ini.ReadInt("Section300", "Key0", -1), -1);
    EXPECT_EQ(ini.ReadInt("Section0", "Key500", -1), -1);
}

// Limits the size of files this process writes, as a full disk would; restores it when done.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit limited = saved_;
        limited.rlim_cur = bytes;
        ok_ = ::setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &saved_); }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool ok() const { return ok_; }

private:
    rlimit saved_{};
    bool ok_ = false;
};

TEST(SettingsDocument, FailedRewriteLeavesTheOldFileWhole) {
    TempDir dir;
    const std::string old =
        kBom + Utf16(kDecl + "<R>\r\n<S>\r\n <K value = \"1\"/>\r\n</S>\r\n</R>");
    auto grow = [](CMyIni& ini) {
        for (int k = 0; k < 200; ++k) {
            ASSERT_TRUE(ini.WriteText("S", QString("Key%1").arg(k), QString(40, u'x')));
        }
    };

    // The temporary's name (target name + suffix) exceeds the file-name limit, so it cannot be
    // created, whoever runs the test; the destructor's rewrite fails the same way.
    const fs::path longName = dir / (std::string(250, 'n') + ".ini");
    ASSERT_TRUE(writeFile(longName, old));
    {
        CMyIni ini;
        ASSERT_TRUE(ini.Open(Q(longName), "R", true));
        grow(ini);
        EXPECT_FALSE(ini.Save());
        EXPECT_TRUE(ini.Modified());
    }
    EXPECT_EQ(readFile(longName), old);

    // The temporary runs out of room half-way.
    const fs::path file = dir / "doc.ini";
    ASSERT_TRUE(writeFile(file, old));
    CMyIni ini;
    ASSERT_TRUE(ini.Open(Q(file), "R", true));
    grow(ini);
    {
        FileSizeLimit limit(4096);
        ASSERT_TRUE(limit.ok());
        EXPECT_FALSE(ini.Save());
    }
    EXPECT_EQ(readFile(file), old);
    EXPECT_TRUE(ini.Modified());
    // With room again the same document is written.
    EXPECT_TRUE(ini.Save());
    CMyIni back;
    ASSERT_TRUE(back.Open(Q(file), "R", true));
    EXPECT_EQ(back.ReadInt("S", "K", 0), 1);
    EXPECT_EQ(back.ReadText("S", "Key199", "-"), QString(40, u'x'));
    // No temporary is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);
}

TEST(SettingsDocument, OpenGivesWriteAccessBack) {
    TempDir dir;
    const fs::path file = dir / "ro.ini";
    ASSERT_TRUE(writeFile(file, kBom + Utf16("<R>\r\n</R>")));
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read, fs::perm_options::replace);
    {
        CMyIni ini;
        ASSERT_TRUE(ini.Open(Q(file), "R", true));
        EXPECT_TRUE((fs::status(file).permissions() & fs::perms::owner_write) != fs::perms::none);
        EXPECT_TRUE(ini.WriteInt("S", "K", 5));
    }
    CMyIni ini;
    ASSERT_TRUE(ini.Open(Q(file), "R", true));
    EXPECT_EQ(ini.ReadInt("S", "K", 0), 5);
}

} // namespace
} // namespace zelmo
