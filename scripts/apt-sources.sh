# Sourced by the scripts that build a Debian root: the package mirrors this
# machine's own apt uses, so that no mirror is written into the scripts.

# apt_source_entries: one line "URI SUITE" for every enabled binary ("deb")
# entry of /etc/apt/sources.list, sources.list.d/*.list (one-line form) and
# sources.list.d/*.sources (deb822 form), in apt's order.
apt_source_entries() {
  local dir=${APT_SOURCES_DIR:-/etc/apt} f
  for f in "$dir/sources.list" "$dir"/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    awk '{
      sub(/#.*/, "")
      if ($1 != "deb") next
      i = 2
      # Options: "[arch=amd64 signed-by=...]", possibly several fields.
      if ($i ~ /^\[/) { while (i <= NF && $i !~ /\]$/) i++; i++ }
      if (i + 1 <= NF) print $i, $(i + 1)
    }' "$f"
  done
  for f in "$dir"/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    awk '
      function flush(   n, m, u, s, i, j) {
        if (types ~ /(^|[ \t])deb([ \t]|$)/ && tolower(enabled) != "no") {
          n = split(uris, u); m = split(suites, s)
          for (i = 1; i <= n; i++) for (j = 1; j <= m; j++) print u[i], s[j]
        }
        types = uris = suites = enabled = ""; key = ""
      }
      /^[ \t]*$/ { flush(); next }
      /^#/ { next }
      # A continuation line (a key embedded in Signed-By, say) belongs to
      # the field above it.
      /^[ \t]/ { next }
      {
        key = tolower($0); sub(/:.*/, "", key)
        value = $0; sub(/^[^:]*:[ \t]*/, "", value)
        if (key == "types") types = value
        else if (key == "uris") uris = value
        else if (key == "suites") suites = value
        else if (key == "enabled") enabled = value
      }
      END { flush() }' "$f"
  done
}

# apt_mirror_for SUITE: the first URI that this machine's apt takes SUITE
# from; fails, saying where it looked, when there is none.
apt_mirror_for() {
  local suite=$1 uri
  uri=$(apt_source_entries | awk -v s="$suite" '$2 == s { print $1; exit }')
  if [ -z "$uri" ]; then
    echo "no apt source of this machine serves the suite '$suite'" \
         "(read ${APT_SOURCES_DIR:-/etc/apt}/sources.list and sources.list.d/*.list, *.sources)" >&2
    return 1
  fi
  printf '%s\n' "${uri%/}"
}

# apt_debian_mirrors: sets APT_DEBIAN_MIRROR and APT_SECURITY_MIRROR to the
# mirrors of this machine's Debian release and of its security updates. A
# Debian mirror serves every supported release, so they also serve another
# release than this machine's.
apt_debian_mirrors() {
  local codename
  codename=$(. /etc/os-release 2>/dev/null && echo "${VERSION_CODENAME:-}")
  if [ -z "$codename" ]; then
    echo "this machine's Debian release has no code name in /etc/os-release" >&2
    return 1
  fi
  APT_DEBIAN_MIRROR=$(apt_mirror_for "$codename") || return 1
  APT_SECURITY_MIRROR=$(apt_mirror_for "$codename-security") || return 1
}
