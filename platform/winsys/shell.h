#pragma once
// The desktop's "open" verb and the process's current directory, behind one
// seam: tests record the requests instead of launching anything.
#include <QString>

namespace winsys {

class Shell {
public:
    virtual ~Shell() = default;
    // Asks the desktop to open the target; the outcome is not reported.
    virtual void open(const QString& target) = 0;
    // Changes the process's current directory; false when it could not.
    virtual bool changeDirectory(const QString& directory) = 0;
};

Shell& shell();
void setShell(Shell* shell);

} // namespace winsys
