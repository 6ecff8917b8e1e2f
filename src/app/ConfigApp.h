// SPDX-License-Identifier: MIT
#pragma once

// The application object: prepares the GUI, shows the main window on the real UDP endpoint and
// releases the network when the window has closed.

namespace rv {

class CConfigApp
{
public:
    // Needs a QApplication. Returns the process's exit code.
    int InitInstance();
};

} // namespace rv
