# The checks the command line's lab scripts share; sourced after they set
# $lang (the language pack whose texts they expect). Each failed check adds
# to $failures and says what failed.
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
# The pack's text of a language key.
text_of() { grep "^$1=" "$lang" | head -n 1 | cut -d= -f2- | tr -d '\r'; }
expect_status() { # WANT GOT WHAT
    [ "$2" -eq "$1" ] || fail "$3: exit status $2, expected $1"
}
