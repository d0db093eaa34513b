#pragma once

// A buffer view widget over a project with devices shaped by the test, and helpers that press
// keys, click cells and look at the painted pixels the way a user would.

#include "editor/ui/buffer_grids.h"
#include "editor/ui/buffer_view.h"
#include "project/device_descriptor.h"
#include "project/project_fixture.h"

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <gtest/gtest.h>

#include <vector>

namespace zelmo::editor::test {

using Bytes = std::vector<std::uint8_t>;

struct Shape {
    std::uint32_t Size = 0;
    std::uint8_t Organization = ORG_8BIT;
    std::uint32_t Flags = 0;
    std::uint8_t Type = DT_FLASH;
};

class ViewWidgetTest : public zelmo::test::ProjectTest {
protected:
    ViewWidgetTest() {
        view.resize(900, 600);
        view.show();
    }

    // An editable device whose memory A has the given shape; the view shows it.
    void addDevice(Shape shape) {
        const auto added = project.AddCompleteDevice(
            zelmo::test::makeDescriptor({shape.Size, 0, 0, 0, 0}, DEV_FILES, shape.Type),
            [&](CDevice& device) {
                SetFieldText(device.Buffers[0].Name, "Code");
                device.Buffers[0].Organization = shape.Organization;
                device.Buffers[0].Color = 0x00F0F0F0;
                device.Buffers[0].Flags = shape.Flags;
                device.Editable = 1;
                return true;
            });
        ASSERT_GE(added.Slot, 0);
        settle();
    }
    CDevice& device() { return *project.Devices[0]; }
    BufferViewState& state() { return device().ViewState[device().CurrentMemory]; }
    Bytes get(std::uint64_t offset, std::size_t n) {
        Bytes bytes(n);
        EXPECT_TRUE(device().Shown()->Read(0, offset, bytes));
        return bytes;
    }

    // Lets the view take the project's changes (they arrive after the burst) and repaint.
    static void settle() {
        for (int i = 0; i < 3; ++i) {
            QApplication::processEvents();
        }
    }

    TBufferGrids* grids() { return view.Grids(); }

    void key(int code, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, code, mods);
        QApplication::sendEvent(grids(), &press);
    }
    void typeText(const QString& text) {
        for (const QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(grids(), &press);
        }
    }
    void click(const GridHit& cell, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        const QPointF at = grids()->CellRect(cell).center();
        QMouseEvent press(QEvent::MouseButtonPress, at, grids()->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, mods);
        QApplication::sendEvent(grids(), &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, grids()->mapToGlobal(at),
                            Qt::LeftButton, Qt::NoButton, mods);
        QApplication::sendEvent(grids(), &release);
    }

    // The grids as painted now.
    QImage paint() { return grids()->grab().toImage(); }
    // The colour at the top of a cell, above its text and clear of its lines.
    static QColor background(const QImage& image, const QRect& cell) {
        return image.pixelColor(cell.center().x(), cell.top() + 1);
    }
    // The darkest lightness inside a cell: about 0 under black text, 128 under grey text, 255
    // for an empty white cell.
    static int darkest(const QImage& image, const QRect& cell) {
        int least = 255;
        for (int y = cell.top() + 1; y < cell.bottom(); ++y) {
            for (int x = cell.left() + 1; x < cell.right(); ++x) {
                least = std::min(least, image.pixelColor(x, y).lightness());
            }
        }
        return least;
    }

    TBufferView view{project};
};

} // namespace zelmo::editor::test
