# Shell helpers that the scripts share; sourced, not run.

# A host path as Wine sees it: the host's root is drive Z:.
winpath() { echo "Z:${1//\//\\}"; }

# Runs a command until it succeeds, at most TRIES times, 0.2 s apart.
retry() {
    local tries=$1
    shift
    for _ in $(seq "$tries"); do
        "$@" && return 0
        sleep 0.2
    done
    return 1
}
