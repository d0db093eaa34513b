#include "app/command_line.h"
#include "app/process_start.h"
#include "app/release.h"
#include "app/single_instance.h"
#include "app/ui/main_window.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zelmo 2"));
    QApplication::setApplicationDisplayName(QStringLiteral("Zelmo 2"));

    const zelmo::CommandLine line = zelmo::ParseCommandLine(QApplication::arguments());
    zelmo::CSingleInstance instance;
    const zelmo::ProcessStart start =
        zelmo::StartProcess(instance, line, zelmo::BuildDateText(), zelmo::BuildTimeText());
    if (!start.ok) {
        if (!start.message.isEmpty()) {
            QMessageBox::critical(nullptr, QStringLiteral("Error"), start.message);
        }
        return start.handedOver ? 0 : 1;
    }

    zelmo::TfMain fMain(start.buildDay, line);
    QObject::connect(&instance, &zelmo::CSingleInstance::projectHandedOver, &fMain,
                     &zelmo::TfMain::ProjectHandedOver);
    QObject::connect(
        &fMain, &zelmo::TfMain::terminated, &app,
        [](int exitCode) { QCoreApplication::exit(exitCode); }, Qt::QueuedConnection);
    fMain.show();
    // The one-shot initialization runs once the window is shown and the loop is idle.
    QTimer::singleShot(0, &fMain, &zelmo::TfMain::Initialize);
    return app.exec();
}
