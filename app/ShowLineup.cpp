#include "app/ShowLineup.h"

#include "demo/DemoDriver.h"

#include <iterator>

void ShowLineup::AddTo(DemoDriver& driver)
{
    driver.AddEffect(&glowBegin);
    driver.AddEffect(&perspective);
    driver.AddEffect(&logo);
    driver.AddEffect(&heart);
    driver.AddEffect(&picture);
    driver.AddEffect(&glowCompose);
    driver.SetPassCount(2);
}

const char* ShowLineup::SlotName(int32_t slot)
{
    static const char* const kNames[] = {"glow begin", "perspective", "logo", "heart", "pictures", "glow compose"};
    return slot >= 0 && slot < int32_t(std::size(kNames)) ? kNames[slot] : nullptr;
}
