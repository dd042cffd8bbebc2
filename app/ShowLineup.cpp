#include "app/ShowLineup.h"

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

DemoShow::DemoShow()
{
    lineup.AddTo(driver);
}

DemoShow::DemoShow(TimelineHost& host)
    : driver(host)
{
    lineup.AddTo(driver);
}

void DemoShow::Stop()
{
    if (started)
        driver.Uninit();
    started = false;
}

int32_t DemoShow::Start()
{
    const int32_t result = driver.Init();
    started = result == 0;
    return result;
}
