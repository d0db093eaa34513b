// The device selection dialog's widgets over a small catalogue in memory: the search field, the
// count line, the grid's own scroll bar and the selection shown again on reopening.

#include "app_ui/modal.h"
#include "catalogue/catalogue_fixture.h"
#include "catalogue/ui/select_ic.h"
#include "project/device_descriptor.h"
#include "project/project.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zelmo {
namespace {

using test::CatalogueFixture;
using test::DeviceSpec;

QString vendorName(const DeviceDescriptor& d) {
    return FieldQString(d.Vendor) == "AAA" ? "Alpha" : "Beta";
}

CatalogueFixture smallCatalogue() {
    return CatalogueFixture({{"AAA", "Alpha"}, {"BBB", "Beta"}},
                            {{DT_EPROM, "AAA", "AT27C512", "DIP28"},
                             {DT_MICROCONTROLLER, "BBB", "AT89C51", "DIP40"},
                             {DT_FLASH, "BBB", "SST39SF040", "DIP32"},
                             {DT_MICROCONTROLLER, "AAA", "PIC16F84", "DIP18"}});
}

QStringList gridNames(const TfSelectIC& dialog) {
    QStringList names;
    for (int r = 0; r < dialog.sgDevices->rowCount(); ++r) {
        const QTableWidgetItem* item = dialog.sgDevices->item(r, 0);
        if (item != nullptr && !item->text().isEmpty()) {
            names << item->text();
        }
    }
    return names;
}

TEST(SelectIcWidget, LowerCaseSearchFindsUpperCaseNamesAnywhere) {
    CatalogueFixture fixture = smallCatalogue();
    TfSelectIC dialog(fixture.catalogue, QString(), vendorName, {});
    dialog.show();
    EXPECT_EQ(dialog.lDevCount->text(), "4 devices found (4 all)");
    dialog.eFilter->setText("9sf0");
    emit dialog.eFilter->textEdited("9sf0");
    EXPECT_EQ(gridNames(dialog), QStringList{"SST39SF040"});
    EXPECT_EQ(dialog.lDevCount->text(), "1 devices found (4 all)");
    EXPECT_TRUE(dialog.lDeviceName->text().startsWith("SST39SF040"));
    dialog.eFilter->setText("c5");
    emit dialog.eFilter->textEdited("c5");
    EXPECT_EQ(gridNames(dialog), (QStringList{"AT27C512", "AT89C51"}));
}

TEST(SelectIcWidget, SeventeenMatchesEnableTheGridsScrollBarSixteenDoNot) {
    for (const int count : {16, 17}) {
        std::vector<std::string> names;
        for (int i = 0; i < count; ++i) {
            names.push_back("F" + std::to_string(100 + i));
        }
        std::vector<DeviceSpec> specs;
        for (const std::string& n : names) {
            specs.push_back({DT_FLASH, "AAA", n.c_str(), "DIP32"});
        }
        CatalogueFixture fixture({{"AAA", "Alpha"}}, specs);
        TfSelectIC dialog(fixture.catalogue, QString(), vendorName, {});
        dialog.show();
        EXPECT_EQ(dialog.sbDevices->isEnabled(), count == 17) << count;
        EXPECT_EQ(dialog.sbDevices->maximum(), count == 17 ? 1 : 0) << count;
        EXPECT_EQ(gridNames(dialog).size(), 16) << count;
        if (count == 17) {
            dialog.sbDevices->setValue(1);
            EXPECT_EQ(gridNames(dialog).constFirst(), "F101");
            EXPECT_EQ(gridNames(dialog).constLast(), "F116");
        }
    }
}

TEST(SelectIcWidget, ReopeningShowsTheLastConfirmedSelection) {
    CatalogueFixture fixture = smallCatalogue();
    TProject project;
    test::ModalAnswers answers;
    answers.Then([](QWidget* w) {
        auto* dialog = qobject_cast<TfSelectIC*>(w);
        ASSERT_NE(dialog, nullptr);
        dialog->lbManuf->setCurrentRow(2); // Beta
        dialog->eFilter->setText("s");
        emit dialog->eFilter->textEdited("s");
        emit dialog->sgDevices->cellPressed(0, 0);
        dialog->bOK->click();
    });
    std::optional<DeviceSelection> chosen =
        TfSelectIC::Run(nullptr, fixture.catalogue, QString(), vendorName, project);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(FieldQString(chosen->Descriptor.Name), "SST39SF040");

    QString shownSearch;
    QString shownDevice;
    int shownVendor = -1;
    answers.Then([&](QWidget* w) {
        auto* dialog = qobject_cast<TfSelectIC*>(w);
        ASSERT_NE(dialog, nullptr);
        shownSearch = dialog->eFilter->text();
        shownVendor = dialog->lbManuf->currentRow();
        shownDevice = dialog->lDeviceName->text();
        dialog->bCancel->click();
    });
    EXPECT_FALSE(
        TfSelectIC::Run(nullptr, fixture.catalogue, QString(), vendorName, project).has_value());
    EXPECT_EQ(shownSearch, "s");
    EXPECT_EQ(shownVendor, 2);
    EXPECT_TRUE(shownDevice.startsWith("SST39SF040")) << shownDevice.toStdString();
}

} // namespace
} // namespace zelmo
