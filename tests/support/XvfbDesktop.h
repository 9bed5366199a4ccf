#pragma once

#include <sys/types.h>

// A real X desktop for one test program: Xvfb on a display of its own (the server picks a free
// number) with openbox managing it. `bottomMargin` keeps that strip of the screen out of the
// work area, as a panel does. start() sets DISPLAY and returns false when either did not come
// up within 30 s; the destructor ends both, killing one that does not end in 2 s.
class XvfbDesktop {
public:
    XvfbDesktop() = default;
    ~XvfbDesktop();
    XvfbDesktop(const XvfbDesktop&) = delete;
    XvfbDesktop& operator=(const XvfbDesktop&) = delete;

    bool start(int bottomMargin = 0);

private:
    pid_t xvfb_ = -1;
    pid_t openbox_ = -1;
};
