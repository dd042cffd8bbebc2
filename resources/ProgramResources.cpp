#include "resources/ProgramResources.h"

const ProgramResource* FindProgramResource(std::string_view name)
{
    for (const ProgramResource& resource : ProgramResourceTable()) {
        if (name == resource.name)
            return &resource;
    }
    return nullptr;
}
