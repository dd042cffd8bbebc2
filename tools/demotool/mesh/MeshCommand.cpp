#include "tools/demotool/Command.h"
#include "tools/demotool/mesh/MeshReport.h"

#include <cstdio>

namespace {

int RunMesh(int argc, char** argv)
{
    return RunMeshCommand(argc, argv, stdout, stderr);
}

const Command g_meshCommand("mesh", "summarise a 3D Studio mesh file (--json for all of its data)", RunMesh);

} // namespace
