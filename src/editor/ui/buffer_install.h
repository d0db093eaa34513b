#pragma once

// Puts the buffer views and the file commands into the main window: the buffer panel in the
// memory tabs' place, the file menu on the "Buffer options" button, dropping files on the
// window, and their refreshes in the full refresh.

namespace zelmo {

class TfMain;

void InstallBufferViews(TfMain& window);

} // namespace zelmo
