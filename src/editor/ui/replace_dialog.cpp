#include "editor/ui/replace_dialog.h"

#include "app/ui/message_dialog.h"

#include <QCheckBox>
#include <QEvent>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <algorithm>
#include <cstdint>

namespace zelmo::editor {

TfReplace::TfReplace(CBufferSearch& search, SearchView view, QWidget* parent)
    : QDialog(parent), search_(search), view_(std::move(view)) {
    setWindowTitle(QStringLiteral("Replace"));
    setModal(true);
    eFind = new QLineEdit;
    eReplace = new QLineEdit;
    rbForward = new QRadioButton(QStringLiteral("Forward"));
    rbBackward = new QRadioButton(QStringLiteral("Backward"));
    cbCaseSensitive = new QCheckBox(QStringLiteral("Case sensitive"));
    cbReplaceAll = new QCheckBox(QStringLiteral("Replace all"));
    rbForward->setChecked(true);
    pbProgress = new QProgressBar;

    TSearchLayout layout(this);
    layout.AddTextRow(QStringLiteral("Text to find:"), eFind);
    layout.AddTextRow(QStringLiteral("Replace with:"), eReplace);
    layout.AddGroup(QStringLiteral(" Direction "), {rbForward, rbBackward});
    layout.AddGroup(QStringLiteral(" Options "), {cbCaseSensitive, cbReplaceAll});
    layout.Finish(pbProgress, search.Size());
    bOK = layout.OK;
    bCancel = layout.Cancel;

    for (QLineEdit* edit : {eFind, eReplace}) {
        edit->setMaxLength(30);
        edit->installEventFilter(this);
        // An edited text starts the next press on the cursor itself.
        connect(edit, &QLineEdit::textChanged, this, [this] { search_.TextsChanged(); });
    }
    connect(bOK, &QPushButton::clicked, this, &TfReplace::bOKClick);
    connect(bCancel, &QPushButton::clicked, this, &QDialog::reject);
}

bool TfReplace::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        // Clicking into a field selects its whole text (after the click has placed the caret).
        if (auto* edit = qobject_cast<QLineEdit*>(watched)) {
            QTimer::singleShot(0, edit, &QLineEdit::selectAll);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfReplace::bOKClick() {
    const ReplaceOutcome out = search_.Replace(
        eFind->text(), eReplace->text(), rbForward->isChecked(), cbCaseSensitive->isChecked(),
        cbReplaceAll->isChecked(), view_.Cursor ? view_.Cursor() : 0);
    if (out.Refused) {
        ShowMessageDialog(this, miWarning, mbOk, QString::fromStdString(out.Message));
        return;
    }
    if (out.Count > 0) {
        pbProgress->setValue(static_cast<int>(std::min<std::size_t>(out.LastOffset, INT32_MAX)));
        if (view_.GoToAddress) {
            view_.GoToAddress(out.LastOffset);
        }
        if (view_.Changed) {
            view_.Changed();
        }
    }
    if (!out.Message.empty()) {
        ShowMessageDialog(this, miInformation, mbOk, QString::fromStdString(out.Message));
    }
}

} // namespace zelmo::editor
