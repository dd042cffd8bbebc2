#pragma once

// The Linux package's player links no libGL: a desktop's GL library may be of
// another vendor or path than the build machine's, and SDL already opens the
// right one for its contexts. The GL functions the code calls are defined in
// GLFunctions.cpp and forward through a table of the driver's own.

// Fills the table from the GL library SDL has loaded for the current context.
// Called on each new context: SDL unloads the library with its last window
// and may load it elsewhere for the next. False, with SDL's error set, when
// the driver lacks one of the functions.
bool LoadGLFunctions();
