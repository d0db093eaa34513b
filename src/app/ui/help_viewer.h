#pragma once

// The help viewer: a document window at the top right of the screen that shows the manuals of
// the application's "Help" folder. Shown without blocking and brought to the front when open.
// A missing document shows the blank page; a PDF manual goes to the desktop's document viewer.

#include <QWidget>

class QTextBrowser;

namespace zelmo {

class TfHelp : public QWidget {
    Q_OBJECT
public:
    // `appDir` ends with "/".
    explicit TfHelp(QString appDir, QWidget* parent = nullptr);

    // Shows the manual `name` ("manual_en", a device's algorithm library name, or empty for the
    // blank page).
    void ShowHelp(const QString& name);
    // The document on show.
    QString DocumentPath() const { return document_; }

    QTextBrowser* wbHelp = nullptr;

private:
    void PlaceAtTopRight();

    QString appDir_;
    QString document_;
    bool placed_ = false;
};

} // namespace zelmo
