#include "tools/demotool/script/StartUpNeeds.h"

std::string MissingPicturesFault(const std::function<bool(const std::string& name)>& loaded)
{
    static const char* const kNames[] = {"envmap", "noise", "logo", "lumora", "pic1",
                                         "pic2",   "pic3",  "pic4", "pic5",   "pic6"};
    std::string missing;
    for (const char* name : kNames)
        if (!loaded(name))
            missing += std::string(missing.empty() ? "" : ", ") + name;
    return missing.empty() ? missing : "the script loads no picture named " + missing;
}
