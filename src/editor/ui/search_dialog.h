#pragma once

// TfSearch ("Find") and TfReplace ("Replace"): modal dialogs over a search of the shown memory
// (CBufferSearch, which holds the swap file's mapping while the dialog is open). A hit moves the
// buffer view's cursor onto it and the dialog stays open for the next press.

#include "editor/buffer_tool_commands.h"

#include <QDialog>

#include <cstdint>
#include <functional>
#include <initializer_list>

class QCheckBox;
class QGridLayout;
class QHBoxLayout;
class QVBoxLayout;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace zelmo::editor {

// Where a search dialog reads the cursor from and how it moves the view.
struct SearchView {
    std::function<std::size_t()> Cursor;
    std::function<void(std::uint64_t address)> GoToAddress;
    // The buffer changed (a replacement): the page and the checksum field.
    std::function<void()> Changed;
};

// The frame the Find and Replace dialogs share: the text rows on top, the option groups side by
// side, the progress bar and the OK and Cancel buttons.
class TSearchLayout {
public:
    explicit TSearchLayout(QDialog* dialog);
    void AddTextRow(const QString& caption, QLineEdit* edit);
    void AddGroup(const QString& caption, std::initializer_list<QWidget*> items);
    // Places the progress bar over `size` offsets and the buttons; OK is the default button.
    void Finish(QProgressBar* progress, std::size_t size);

    QPushButton* OK = nullptr;
    QPushButton* Cancel = nullptr;

private:
    QGridLayout* texts_;
    QHBoxLayout* groups_;
    QVBoxLayout* layout_;
};

class TfSearch : public QDialog {
    Q_OBJECT
public:
    TfSearch(CBufferSearch& search, SearchView view, QWidget* parent = nullptr);

    QLineEdit* eText = nullptr;
    QRadioButton* rbForward = nullptr;
    QRadioButton* rbBackward = nullptr;
    QCheckBox* cbCaseSensitive = nullptr;
    QCheckBox* cbHexValues = nullptr;
    QRadioButton* rbFromCursor = nullptr;
    QRadioButton* rbEntireScope = nullptr;
    QProgressBar* pbProgress = nullptr;
    QPushButton* bOK = nullptr;
    QPushButton* bCancel = nullptr;

    // One Find press (the OK button and Enter).
    void bOKClick();

private:
    void cbHexValuesClick();

    CBufferSearch& search_;
    SearchView view_;
};

} // namespace zelmo::editor
