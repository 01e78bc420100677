# Sourced by run-dialer.sh and run-tests.sh after the set-up: as_owner "$@" re-runs the
# calling script as the checkout's owner when root runs it in someone else's checkout
# (su, sudo), so that build/ and out/ stay the owner's and a later run as that user works.
# The re-run's set-up finds everything installed and needs no root.
as_owner() {
    [ "$(id -u)" -eq 0 ] || return 0
    local owner home
    owner="$(stat -c %U "$root")"
    [ "$owner" != root ] && [ "$owner" != UNKNOWN ] || return 0
    home="$(getent passwd "$owner" | cut -d: -f6)"
    echo "$(basename "$0"): building and running as $owner, the owner of $root"
    exec runuser -u "$owner" -- env -u XDG_RUNTIME_DIR HOME="${home:-/tmp}" USER="$owner" \
        LOGNAME="$owner" "$root/scripts/$(basename "$0")" "$@"
}
