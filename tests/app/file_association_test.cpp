#include "app/file_association.h"

#include "common/temp_dir.h"

#include <QFile>
#include <gtest/gtest.h>

namespace zelmo {
namespace {

QByteArray Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(FileAssociation, WritesTypeDesktopEntryAndDefault) {
    const AssociationFiles files = ProjectAssociationFiles();
    ASSERT_FALSE(files.MimePackage.isEmpty());
    QFile::remove(files.MimeApps);
    const Result r = AssociateProjectFiles("/opt/zelmo 2/zelmo2", "/opt/zelmo 2/Help/zelmo2.svg");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.message, "File association done.");

    const QByteArray mime = Read(files.MimePackage);
    EXPECT_TRUE(mime.contains("<mime-type type=\"application/x-zelmo2-project\">"));
    EXPECT_TRUE(mime.contains("<glob pattern=\"*.zlp\"/>"));
    EXPECT_TRUE(mime.contains("<comment>Zelmo 2 project file</comment>"));
    const QByteArray entry = Read(files.DesktopEntry);
    EXPECT_TRUE(entry.contains("\nExec=\"/opt/zelmo 2/zelmo2\" -p %f\n"));
    EXPECT_TRUE(entry.contains("\nIcon=/opt/zelmo 2/Help/zelmo2.svg\n"));
    EXPECT_TRUE(entry.contains("\nMimeType=application/x-zelmo2-project;\n"));
    EXPECT_EQ(Read(files.MimeApps),
              "[Default Applications]\napplication/x-zelmo2-project=zelmo2.desktop\n");
}

TEST(FileAssociation, DefaultApplicationKeepsTheOtherLines) {
    struct Case {
        const char* before;
        const char* after;
    };
    const Case cases[] = {
        {"", "[Default Applications]\napplication/x-zelmo2-project=zelmo2.desktop\n"},
        {"[Added Associations]\ntext/plain=a.desktop\n",
         "[Added Associations]\ntext/plain=a.desktop\n\n[Default Applications]\n"
         "application/x-zelmo2-project=zelmo2.desktop\n"},
        {"[Default Applications]\ntext/plain=a.desktop\n[Added Associations]\nx=y\n",
         "[Default Applications]\ntext/plain=a.desktop\n"
         "application/x-zelmo2-project=zelmo2.desktop\n[Added Associations]\nx=y\n"},
        {"[Default Applications]\napplication/x-zelmo2-project=old.desktop\ntext/plain=a\n",
         "[Default Applications]\napplication/x-zelmo2-project=zelmo2.desktop\ntext/plain=a\n"},
        // The same key in another section is left alone.
        {"[Added Associations]\napplication/x-zelmo2-project=old.desktop\n",
         "[Added Associations]\napplication/x-zelmo2-project=old.desktop\n\n"
         "[Default Applications]\napplication/x-zelmo2-project=zelmo2.desktop\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WithDefaultApplication(c.before), QByteArray(c.after)) << c.before;
    }
}

TEST(FileAssociation, FailsWhenTheFilesCannotBeWritten) {
    test::TempDir dir;
    ASSERT_TRUE(test::writeFile(dir / "file", "x"));
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    // Below a regular file nothing can be created, whoever runs the test.
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString((dir / "file" / "data").string()));
    const Result r = AssociateProjectFiles("/opt/zelmo2/zelmo2", {});
    qputenv("XDG_DATA_HOME", saved);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, "File association failed.");
}

} // namespace
} // namespace zelmo
