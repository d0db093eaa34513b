#pragma once

// TfReplace ("Replace"): overwrites occurrences of a text with another text of the same length,
// one per press or all at once.

#include "editor/ui/search_dialog.h"

namespace zelmo::editor {

class TfReplace : public QDialog {
    Q_OBJECT
public:
    TfReplace(CBufferSearch& search, SearchView view, QWidget* parent = nullptr);

    QLineEdit* eFind = nullptr;
    QLineEdit* eReplace = nullptr;
    QRadioButton* rbForward = nullptr;
    QRadioButton* rbBackward = nullptr;
    QCheckBox* cbCaseSensitive = nullptr;
    QCheckBox* cbReplaceAll = nullptr;
    QProgressBar* pbProgress = nullptr;
    QPushButton* bOK = nullptr;
    QPushButton* bCancel = nullptr;

    // One Replace press (the OK button and Enter).
    void bOKClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CBufferSearch& search_;
    SearchView view_;
};

} // namespace zelmo::editor
