#include "app/ui/main_window.h"

#include "operations/library_startup.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextCursor>
#include <QTextEdit>

namespace zelmo {

TfMain::TfMain(const BuildDayBytes& buildDay, QWidget* parent)
    : QMainWindow(parent), buildDay_(buildDay) {
    CreateMenus();

    reLog = new QTextEdit;
    reLog->setObjectName(QStringLiteral("reLog"));
    reLog->setReadOnly(true);
    reLog->setLineWrapMode(QTextEdit::NoWrap);
    reLog->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    reLog->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(12);
    reLog->setFont(font);
    QPalette palette = reLog->palette();
    palette.setColor(QPalette::Base, QColor(255, 255, 225));
    reLog->setPalette(palette);

    pcMain = new QTabWidget;
    pcMain->setObjectName(QStringLiteral("pcMain"));
    pcMain->addTab(reLog, tr("Log"));
    setCentralWidget(pcMain);

    lStatus = new QLabel;
    statusBar()->addWidget(lStatus, 1);

    const QString caption = QStringLiteral("Zelmo 2 / ver. ") + ReleaseText(buildDay_);
    setWindowTitle(caption);
    SetStatusMessage(caption);
    resize(900, 600);
}

TfMain::~TfMain() {
    if (hardware_.isBound()) {
        hardware_.api().ZmFree();
    }
}

void TfMain::CreateMenus() {
    QMenu* miFile = menuBar()->addMenu(tr("&File"));
    QAction* miExit = miFile->addAction(tr("E&xit"));
    miExit->setShortcut(QKeySequence::Quit);
    connect(miExit, &QAction::triggered, this, &QWidget::close);

    QMenu* miHelp = menuBar()->addMenu(tr("&Help"));
    QAction* miAbout = miHelp->addAction(tr("&About Zelmo 2"));
    connect(miAbout, &QAction::triggered, this, &TfMain::miAboutClick);
}

void TfMain::miAboutClick() {
    QMessageBox::about(this, tr("About Zelmo 2"),
                       QStringLiteral("Zelmo 2\nSoftware release ") + ReleaseText(buildDay_));
}

void TfMain::SetStatusMessage(const QString& text) {
    lStatus->setText(text);
}

void TfMain::AddLog(LogKind kind, const QString& text, const LogHeaderNames& names) {
    const std::vector<LogRun> runs = log_.AddLog(kind, text, names);
    QTextCursor cursor(reLog->document());
    cursor.movePosition(QTextCursor::End);
    const QColor windowText = reLog->palette().color(QPalette::WindowText);
    for (const LogRun& run : runs) {
        QTextCharFormat format;
        format.setForeground(run.colour == LogColour::WindowText
                                 ? windowText
                                 : QColor::fromRgb(LogColourRgb(run.colour)));
        cursor.insertText(run.text, format);
    }
    reLog->setTextCursor(cursor);
    reLog->ensureCursorVisible();
    // Callers must expect other handlers to run here: the log repaints during long work.
    QCoreApplication::processEvents();
}

void TfMain::Initialize() {
    if (initialized_) {
        return;
    }
    initialized_ = true;
    AddLog(lkPlain, QStringLiteral("Zelmo 2, software release ") + ReleaseText(buildDay_));
    if (ReleaseIsOutdated(buildDay_, QDateTime::currentDateTimeUtc())) {
        AddLog(lkWarning, QString::fromLatin1(kReleaseAgeWarning));
    }

    const QString appDir = QCoreApplication::applicationDirPath();
    const LibraryStartup startup = StartLibraries(appDir, 0, hardware_, remote_);
    for (const QString& line : startup.Log) {
        AddLog(lkPlain, line);
    }
    if (startup.Failed) {
        QMessageBox::critical(this, QStringLiteral("Error"), startup.ErrorBoxText);
        QCoreApplication::exit(1);
        return;
    }

    AddLog(lkSection, QStringLiteral("Reading configuration files."));
    const HardwareEntryPoints& api = hardware_.api();
    const CatalogueLoadResult loaded =
        LoadCatalogue({api.ZmGetVendorsDevices, api.ZmGetNoOfVendors, api.ZmGetNoOfDevices},
                      CataloguePath(appDir), catalogue_);
    for (const QString& line : loaded.Messages) {
        AddLog(lkDetail, line);
    }
    AddLog(lkSection, QStringLiteral("Initialization done."));
}

} // namespace zelmo
