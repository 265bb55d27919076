#include "login/LoginDesign.h"

LoginDesign LoginDesignAt(const QTime& time)
{
    if (!time.isValid())
        return LoginDesign::Night;
    const int hhnn = time.hour() * 100 + time.minute();
    return (hhnn >= 2200 || hhnn <= 600) ? LoginDesign::Night : LoginDesign::Day;
}
