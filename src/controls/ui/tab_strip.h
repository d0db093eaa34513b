#pragma once

// A tab strip for many tabs: scroll buttons when the tabs do not fit, and a tab-list button at
// its right end that offers every tab by name.

#include <QWidget>

class QTabBar;
class QToolButton;

namespace zelmo {

class TTabStrip : public QWidget {
    Q_OBJECT
public:
    explicit TTabStrip(QWidget* parent = nullptr);

    int AddTab(const QString& caption);
    void SetTabCaption(int index, const QString& caption);
    QString TabCaption(int index) const;
    int Count() const;
    int Current() const;
    void SetCurrent(int index);
    QTabBar* Bar() const { return bar_; }
    QToolButton* ListButton() const { return list_; }

signals:
    void currentChanged(int index);

private:
    void ShowList();

    QTabBar* bar_ = nullptr;
    QToolButton* list_ = nullptr;
};

} // namespace zelmo
