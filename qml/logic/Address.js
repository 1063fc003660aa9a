.pragma library

// Crate addresses as the connection form accepts them: dotted IPv4, leading zeros allowed
// ("127.000.000.001").

var octet = "(25[0-5]|2[0-4][0-9]|[01]?[0-9]?[0-9])"
var ipv4Pattern = new RegExp("^(" + octet + "\\.){3}" + octet + "$")

function isIpv4(text) {
    return ipv4Pattern.test(String(text).trim())
}
