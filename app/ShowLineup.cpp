#include "app/ShowLineup.h"

#include "demo/DemoDriver.h"

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
