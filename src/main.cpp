#include "app/release.h"
#include "app/ui/main_window.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zelmo 2"));

    zelmo::BuildDayBytes buildDay{};
    if (!zelmo::ParseBuildDay(zelmo::BuildDateText(), zelmo::BuildTimeText(), buildDay)) {
        QMessageBox::critical(nullptr, QStringLiteral("Error"),
                              QString::fromLatin1(zelmo::kVersionUnknownMessage));
        return 1;
    }

    zelmo::TfMain fMain(buildDay);
    fMain.show();
    // The one-shot initialization runs once the window is shown and the loop is idle.
    QTimer::singleShot(0, &fMain, &zelmo::TfMain::Initialize);
    return app.exec();
}
