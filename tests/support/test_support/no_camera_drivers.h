#pragma once

#include <cstdlib>

namespace morvel::testing {

// Keeps libgphoto2 from loading the system's camera and port drivers in a test program: a camera
// plugged into the machine must not change what the tests find, and the drivers keep memory
// to the end that the leak checker would count against the program.
inline bool UnloadedCameraDrivers() {
    ::setenv("CAMLIBS", "/nonexistent/camlibs", 1);
    ::setenv("IOLIBS", "/nonexistent/iolibs", 1);
    return true;
}

}  // namespace morvel::testing
