#pragma once

// The buffer status fields of the main window as plain values: the size of the shown memory,
// the file assigned to it and the project's file name. The widgets only paint them (and
// compact the paths to their width).

#include "project/project.h"

#include <QString>

namespace zelmo {

enum class StatusColour { Normal, Red, Blue };

struct StatusField {
    QString Text;
    StatusColour Colour = StatusColour::Normal;
    QString Hint;
    bool Visible = true;
};

// "1023 B" up to 1023 bytes, the short byte-size text above, with the hint "<count> bytes".
StatusField MemorySizeText(std::uint64_t size);
// Size of the memory the device shows (CurrentMemory). Programmable logic devices show the fuse
// count ("<count>", hint "<count> fuses") only for a fuse map and hide the field otherwise.
// Without a device: "none".
StatusField MemorySizeField(const CDevice* device);
// The file of the shown memory (memory A for programmable logic) in the shown data set:
// "none (read-only buffer)", the path or "none"; red with "File doesn't exist." when the file
// is missing, blue with "Buffer modified." when the buffer changed (blue wins).
StatusField FileNameField(const CDevice* device);
// The project file's path, or "none" for an unsaved project.
StatusField ProjectNameField(const QString& projectFileName);

} // namespace zelmo
