#include "app/ui/main_window.h"

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
    : QMainWindow(parent), buildDay_(buildDay),
      session_({.Log = [this](LogKind kind, const QString& text) { AddLog(kind, text); },
                .ShowMessage =
                    [this](const QString& text) {
                        QMessageBox::warning(this, QStringLiteral("Zelmo 2"), text);
                    },
                .Confirm =
                    [this](const QString& question) {
                        return QMessageBox::question(this, QStringLiteral("Zelmo 2"), question,
                                                     QMessageBox::Ok | QMessageBox::Cancel) ==
                               QMessageBox::Ok;
                    }}) {
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

TfMain::~TfMain() = default;

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

    const Result started = session_.StartLibraries(QCoreApplication::applicationDirPath());
    if (!started.ok) {
        QMessageBox::critical(this, QStringLiteral("Error"), started.message);
        QCoreApplication::exit(1);
        return;
    }
    if (!session_.FindProgrammers()) {
        session_.Close();
        QCoreApplication::exit(1);
        return;
    }
    // An unreadable catalogue has been logged; the application goes on with an empty one.
    session_.LoadCatalogue();
    AddLog(lkSection, QStringLiteral("Initialization done."));
}

} // namespace zelmo
