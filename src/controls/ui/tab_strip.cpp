#include "controls/ui/tab_strip.h"

#include "controls/ui/pictures.h"

#include <QHBoxLayout>
#include <QMenu>
#include <QTabBar>
#include <QToolButton>

namespace zelmo {

TTabStrip::TTabStrip(QWidget* parent) : QWidget(parent) {
    bar_ = new QTabBar;
    bar_->setUsesScrollButtons(true);
    bar_->setExpanding(false);
    bar_->setDrawBase(false);
    bar_->setElideMode(Qt::ElideNone);
    list_ = new QToolButton;
    list_->setIcon(Picture(QStringLiteral("tab_list")));
    list_->setIconSize(QSize(12, 12));
    list_->setAutoRaise(true);
    list_->setToolTip(tr("All tabs"));
    connect(list_, &QToolButton::clicked, this, &TTabStrip::ShowList);
    connect(bar_, &QTabBar::currentChanged, this, &TTabStrip::currentChanged);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar_, 1);
    layout->addWidget(list_, 0, Qt::AlignVCenter);
}

int TTabStrip::AddTab(const QString& caption) {
    return bar_->addTab(caption);
}

void TTabStrip::SetTabCaption(int index, const QString& caption) {
    bar_->setTabText(index, caption);
}

QString TTabStrip::TabCaption(int index) const {
    return bar_->tabText(index);
}

int TTabStrip::Count() const {
    return bar_->count();
}

int TTabStrip::Current() const {
    return bar_->currentIndex();
}

void TTabStrip::SetCurrent(int index) {
    bar_->setCurrentIndex(index);
}

void TTabStrip::ShowList() {
    QMenu menu(this);
    for (int i = 0; i < bar_->count(); ++i) {
        QAction* item = menu.addAction(bar_->tabText(i));
        item->setCheckable(true);
        item->setChecked(i == bar_->currentIndex());
        item->setEnabled(bar_->isTabEnabled(i));
        connect(item, &QAction::triggered, this, [this, i] { bar_->setCurrentIndex(i); });
    }
    menu.exec(list_->mapToGlobal(QPoint(0, list_->height())));
}

} // namespace zelmo
