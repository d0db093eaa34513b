#pragma once

// CPortable: the project as a stand-alone card image. Writing builds the image sector by sector
// through the hardware library's card-write entry point (runtime file, project header, device
// entries, and per data set its header, the library's generated code and the memory images);
// reading takes an image back into an empty project through the card-read entry point, checking
// every sector number and count against the card, the image and the catalogue device first.

#include "app/log_kind.h"
#include "persistence/card/card_layout.h"
#include "platform/progress.h"
#include "platform/result.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

namespace zelmo {
class TProject;
}

namespace zelmo::card {

class CardLibrary;

inline constexpr char kCouldNotReadProject[] = "Could not read project.";
inline constexpr char kCouldNotSaveProject[] = "Could not save project.";

// What a transfer works with besides the project and the programmer.
struct CardContext {
    CardLibrary* Library = nullptr;
    QString AppDir; // the application directory, ending with "/"
    // The message log (plain entries and details); may be empty.
    std::function<void(LogKind kind, const QString& text)> Log;
    // Runs a change of the project on the thread that owns it and returns when it is done;
    // empty runs it on the calling thread.
    std::function<void(const std::function<void()>& step)> Synchronize;
    Progress* DeviceProgress = nullptr; // first value: the device being transferred
    Progress* PieceProgress = nullptr;  // second value: the memory being transferred
};

class CPortable {
public:
    explicit CPortable(CardContext context);

    // Writes every device of the project to the card of `port`, or, with `oneDevice`, only that
    // device as a one-device image (gang mode). Card access is closed whatever the outcome; a
    // failed write leaves sector 0 unwritten. The failure message is "Could not save project.".
    Result Write(const TProject& project, std::int32_t port,
                 std::optional<int> oneDevice = std::nullopt);

    // Reads the image on the card of `port` into `project`, which the caller has emptied.
    // Failures with a message ("Could not read project.") are for an error box; a failure with
    // an empty message has put the library's messages into the log. Devices restored before a
    // failure stay; the device being restored when it happened is removed with its files.
    Result Read(TProject& project, std::int32_t port);

private:
    CardContext context_;
};

// The card's size in sectors from its ATA identification block: the LBA sector count (words 60
// and 61), or the current capacity (words 57 and 58) when that is 0.
std::uint64_t CardSectors(std::span<const std::uint8_t, kSectorSize> identification);

} // namespace zelmo::card
