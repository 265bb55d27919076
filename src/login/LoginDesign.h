#pragma once
#include <QTime>

// The login window has two looks: the night design it is drawn with, and the
// day colours it switches to during the day.
enum class LoginDesign { Night, Day };

// The design for the time of day `time`, read as hours and minutes ("hhnn",
// seconds ignored): from 22:00 up to and including 06:00 it is night, so
// 06:00:59 and 22:00 are night and 06:01 and 21:59:59 are day.
LoginDesign LoginDesignAt(const QTime& time);
