#include "generate/ExpressionScript.h"

using namespace Qt::StringLiterals;

namespace generate {

// The helpers every expression sees, installed once per engine as read-only
// globals; the native object stays inside this closure. guard() wraps each
// compiled expression: it turns a throw into the `failed` sentinel (a thrown
// string would otherwise look like a result) and a Date into its time value
// in `dateBox`, so that the caller reads results without running any of the
// expression's code (a toString or valueOf of its own) outside the watchdog's
// reach. row() builds the row object, whose properties fetch their value when
// read, so that an evaluation converts only what it uses and an expression
// column is computed when it is first read.
//
// Dates carry no time zone: a Date's time value read as UTC is the wall
// clock, and Date's local-time methods, its constructor from fields and its
// reading of a text without a zone are made the UTC ones, so that nothing an
// expression does with a date depends on the machine's zone.
QString ExpressionHelperSource()
{
    return uR"JS((function (global, native) {
    "use strict";
    var draw = native.Draw, value = native.Value;
    var NativeDate = Date, proto = NativeDate.prototype, nativeParse = NativeDate.parse;
    var timeOf = Function.prototype.call.bind(proto.getTime);
    function fixed(object, name, v) {
        Object.defineProperty(object, name, { value: v, writable: false, enumerable: false, configurable: false });
    }
    ["FullYear", "Month", "Date", "Hours", "Minutes", "Seconds", "Milliseconds"].forEach(function (field) {
        fixed(proto, "get" + field, proto["getUTC" + field]);
        fixed(proto, "set" + field, proto["setUTC" + field]);
    });
    fixed(proto, "getDay", proto.getUTCDay);
    fixed(proto, "getTimezoneOffset", function getTimezoneOffset() { return isNaN(timeOf(this)) ? NaN : 0; });
    fixed(proto, "getYear", function getYear() { return this.getUTCFullYear() - 1900; });
    fixed(proto, "setYear", function setYear(year) {
        var y = Number(year);
        return this.setUTCFullYear(y >= 0 && y <= 99 && Math.floor(y) === y ? 1900 + y : y);
    });
    var days = ["Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"];
    var months = ["Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"];
    function two(n) { return (n < 10 ? "0" : "") + n; }
    function dateText(d) {
        var year = d.getUTCFullYear();
        return days[d.getUTCDay()] + " " + months[d.getUTCMonth()] + " " + two(d.getUTCDate()) + " " +
               (year < 0 ? "-" + String(-year).padStart(6, "0") : String(year).padStart(4, "0"));
    }
    function timeText(d) {
        return two(d.getUTCHours()) + ":" + two(d.getUTCMinutes()) + ":" + two(d.getUTCSeconds()) + " GMT+0000";
    }
    function text(form) {
        return function () { return isNaN(timeOf(this)) ? "Invalid Date" : form(this); };
    }
    var toString = text(function (d) { return dateText(d) + " " + timeText(d); });
    var toDateString = text(dateText), toTimeString = text(timeText);
    fixed(proto, "toString", toString);
    fixed(proto, "toLocaleString", toString);
    fixed(proto, "toDateString", toDateString);
    fixed(proto, "toLocaleDateString", toDateString);
    fixed(proto, "toTimeString", toTimeString);
    fixed(proto, "toLocaleTimeString", toTimeString);
    // ISO texts without a zone are UTC; another text is read only when it
    // names its zone, since how it would be read otherwise depends on the zone.
    var iso = /^([+-]\d{6}|\d{4})(-\d\d(-\d\d)?)?([T ]\d\d:\d\d(:\d\d(\.\d{1,9})?)?)?(Z|[+-]\d\d:\d\d)?$/;
    var zoned = /(\bGMT|\bUTC|\bZ|[+-]\d\d:?\d\d)\)?\s*$/i;
    function parse(given) {
        var text = String(given).trim(), parts = iso.exec(text);
        if (parts)
            return nativeParse(text.replace(" ", "T") + (parts[4] && !parts[7] ? "Z" : ""));
        return zoned.test(text) ? nativeParse(text) : NaN;
    }
    function ZonelessDate(year, month) {
        if (new.target === undefined)
            return new NativeDate().toString();
        if (arguments.length >= 2)
            return new NativeDate(NativeDate.UTC.apply(null, arguments));
        if (arguments.length === 1)
            return new NativeDate(typeof year === "string" ? parse(year) : year);
        return new NativeDate();
    }
    fixed(ZonelessDate, "prototype", proto);
    fixed(ZonelessDate, "UTC", NativeDate.UTC);
    fixed(ZonelessDate, "now", NativeDate.now);
    fixed(ZonelessDate, "parse", parse);
    fixed(proto, "constructor", ZonelessDate);
    fixed(global, "Date", ZonelessDate);

    function number(value, helper) {
        var n = Number(value);
        if (value === null || value === undefined || isNaN(n))
            throw new TypeError(helper + ": 数ではありません: " + value);
        return n;
    }
    function rand(min, max) {
        min = number(min, "rand");
        return min + draw() * (number(max, "rand") - min);
    }
    function randInt(min, max) {
        var a = number(min, "randInt"), b = number(max, "randInt");
        var lo = Math.ceil(Math.min(a, b)), hi = Math.floor(Math.max(a, b));
        if (hi < lo)
            throw new RangeError("randInt: " + a + " と " + b + " の間に整数がありません");
        return lo + Math.min(Math.floor(draw() * (hi - lo + 1)), hi - lo);
    }
    // Every day has 24 hours on the wall clock.
    function addDays(date, days) {
        if (date === null || date === undefined)
            return null;
        if (!(date instanceof NativeDate))
            throw new TypeError("addDays: 日付ではありません: " + date);
        return new NativeDate(Math.round(timeOf(date) + number(days, "addDays") * 86400000));
    }
    function pick(values) {
        var list = arguments.length > 1 ? arguments : values;
        if (list === null || list === undefined || typeof list.length !== "number")
            throw new TypeError("pick: 配列ではありません: " + list);
        if (list.length === 0)
            return null;
        return list[Math.min(Math.floor(draw() * list.length), list.length - 1)];
    }
    function pad(value, width) {
        if (value === null || value === undefined)
            return null;
        var n = Math.round(number(value, "pad")), w = Math.floor(number(width, "pad"));
        if (w > 1000)
            throw new RangeError("pad: 桁数は1000までです: " + width);
        var digits = String(Math.abs(n));
        return n < 0 ? "-" + digits.padStart(w - 1, "0") : digits.padStart(w, "0");
    }
    var helpers = { rand: rand, randInt: randInt, addDays: addDays, pick: pick, pad: pad };
    Object.keys(helpers).forEach(function (name) {
        Object.defineProperty(global, name, { value: helpers[name] });
    });
    Object.defineProperty(Math, "random", { value: function random() { return draw(); },
                                            writable: false, configurable: false });
    // The engine's Object.keys reads every value, which would compute every
    // expression column (the one asking among them): the row's keys are known.
    var nativeKeys = Object.keys, rowObject = null, rowKeys = [];
    fixed(Object, "keys", function keys(object) {
        return object === rowObject && object !== null ? rowKeys.slice() : nativeKeys(object);
    });
    var failed = {}, dateBox = [0], lastError;
    return {
        failed: failed,
        dateBox: dateBox,
        lastError: function () { var e = lastError; lastError = undefined; return e; },
        guard: function (f) {
            return function (row) {
                try {
                    var result = f(row);
                    if (result instanceof NativeDate) {
                        dateBox[0] = timeOf(result);
                        return dateBox;
                    }
                    return result;
                } catch (e) {
                    try { lastError = String(e); } catch (e2) { lastError = "?"; }
                    return failed;
                }
            };
        },
        row: function (names) {
            var row = {};
            names.forEach(function (name, i) {
                if (name !== "")
                    Object.defineProperty(row, name, { enumerable: true, get: function () { return value(i); } });
            });
            rowKeys = names.filter(function (name) { return name !== ""; });
            rowObject = Object.freeze(row);
            return rowObject;
        }
    };
}))JS"_s;
}

}  // namespace generate
