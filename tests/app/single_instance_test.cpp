#include "app/single_instance.h"

#include "common/temp_dir.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <gtest/gtest.h>

namespace zelmo {
namespace {

QString Folder(const test::TempDir& dir) {
    return QString::fromStdString(dir.path().string());
}

TEST(SingleInstance, ASecondStartIsRefusedAndHandsItsProjectOver) {
    test::TempDir dir;
    CSingleInstance first(Folder(dir));
    ASSERT_TRUE(first.Acquire());
    QStringList received;
    QObject::connect(&first, &CSingleInstance::projectHandedOver,
                     [&](const QString& path) { received << path; });

    CSingleInstance second(Folder(dir));
    EXPECT_FALSE(second.Acquire());
    ASSERT_TRUE(second.HandOver("/home/user/projects/line 1.zlp"));
    const QDeadlineTimer deadline(5000);
    while (received.isEmpty() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    EXPECT_EQ(received, QStringList{"/home/user/projects/line 1.zlp"});
}

TEST(SingleInstance, TheLockGoesWithItsOwner) {
    test::TempDir dir;
    {
        CSingleInstance first(Folder(dir));
        ASSERT_TRUE(first.Acquire());
    }
    CSingleInstance next(Folder(dir));
    EXPECT_TRUE(next.Acquire());
    // Nobody listens on a folder without a running instance.
    test::TempDir empty;
    EXPECT_FALSE(CSingleInstance(Folder(empty)).HandOver("/x.zlp", 200));
}

} // namespace
} // namespace zelmo
