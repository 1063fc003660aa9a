.pragma library

// Texts of the chart's cursor read-out.

/// Unit of an axis title ("Current, μA" gives "μA"); empty when the title names none.
function unitOfTitle(title) {
    var parts = String(title).split(", ")
    return parts.length > 1 ? parts[parts.length - 1] : ""
}

/// A read-out value with the unit of its axis: four significant digits, or the time of day.
function valueText(value, title, timeAxis) {
    if (timeAxis) {
        var d = new Date(value)
        var two = function (n) { return (n < 10 ? "0" : "") + n }
        return two(d.getHours()) + ":" + two(d.getMinutes()) + ":" + two(d.getSeconds())
    }
    var unit = unitOfTitle(title)
    return Number(value).toPrecision(4) + (unit ? " " + unit : "")
}
