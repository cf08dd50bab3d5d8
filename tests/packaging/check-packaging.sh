#!/usr/bin/env bash
# Checks of what Kestrin installs (called by CTest, see CMakeLists.txt here):
#   history LOG PAGE GENERATOR       the built history page is the log's page, has
#                                    every heading and item of the log, and no
#                                    HTML of a log passes through
#   manual SOURCE PAGE GENERATOR     the built manual is the source's page, has
#                                    every section, and every picture it shows
#                                    lies beside it
#   desktop FILE                     desktop-file-validate, Japanese name and comment
#   metainfo FILE                    appstreamcli validate --no-net
#   man MANDIR KESTRIN_CLI           manual pages format without warnings and
#                                    document every command of kestrin-cli --help
#   mime FILE TYPE SAMPLE            xmllint, update-mime-database into a scratch
#                                    folder, and SAMPLE (a month file or a
#                                    strength log) maps to TYPE by its name
#                                    (its extension in either case) and by its
#                                    contents under another name
#   thumbnailer FILE CLI SAMPLE      the entry's command (with CLI for its
#                                    program) writes PNGs of 128 and 256 pixels
#   install BUILD APPID PROGS SIZES  cmake --install into a scratch prefix and
#                                    check the tree (PROGS, SIZES comma-separated)
# Exit status: 0 passed, 1 failed, 77 skipped (a validator is not installed).
set -uo pipefail

skip() { echo "SKIPPED: $*"; exit 77; }
fail() { echo "FAILED: $*" >&2; exit 1; }
need() { command -v "$1" >/dev/null 2>&1 || skip "$1 not installed (Debian: $2)"; }

# Width and height of a PNG from its IHDR chunk.
png_size() {
  local b
  b=($(od -An -tu1 -j16 -N8 "$1"))
  [ "${#b[@]}" -eq 8 ] || return 1
  echo "$(( (b[0] << 24) | (b[1] << 16) | (b[2] << 8) | b[3] ))x$(( (b[4] << 24) | (b[5] << 16) | (b[6] << 8) | b[7] ))"
}

validate_desktop() {
  local out rc
  out=$(desktop-file-validate "$1" 2>&1); rc=$?
  [ -n "$out" ] && echo "$out"
  [ "$rc" -eq 0 ] && [ -z "$out" ] || fail "desktop-file-validate: $1"
}

cmd=${1:-}; shift || true
case "$cmd" in
history)
  log=$1 page=$2 gen=$3
  scratch=$(mktemp -d)
  trap 'rm -rf "$scratch"' EXIT
  "$gen" "$log" "$scratch/page.htm" || fail "$gen $log failed"
  cmp -s "$scratch/page.htm" "$page" || fail "$page is not the page of $log"
  grep -q '^<title>.\+</title>$' "$page" || fail "$page has no title"
  # Every version with its anchor, every group heading, every list item.
  versions=$(sed -n 's/^## \+\([0-9][0-9A-Za-z.+~]*\) .*/\1/p' "$log")
  [ -n "$versions" ] || fail "$log names no version"
  for v in $versions; do
    grep -qF "<h2 id=\"v$v\">$v " "$page" || fail "$page: no heading with the anchor v$v"
  done
  while IFS= read -r h; do
    grep -qF "<h3>$h</h3>" "$page" || fail "$page: no heading '$h'"
  done < <(sed -n 's/^### \+//p' "$log")
  items=$(grep -cE '^ *[-*+] ' "$log")
  got=$(grep -o '<li>' "$page" | wc -l)
  [ "$items" -eq "$got" ] || fail "$page has $got list items, the log $items"
  # A hostile log: its HTML and unsafe link targets never become markup,
  # its text is escaped, Japanese lines join without a blank.
  cat > "$scratch/log.md" <<'LOG'
# a < b

<script>alert(1)</script>

- text <img src=x onerror=alert(1)> & "quoted"
- [click](javascript:alert(1)) [data](data:text/html,x) [file](file:///etc/passwd)
- 月度の値を出力し，
  保存します．
LOG
  "$gen" "$scratch/log.md" "$scratch/log.htm" || fail "$gen on a hostile log failed"
  body=$(sed -n '/^<body>$/,/^<\/body>$/p' "$scratch/log.htm")
  for bad in '<script' '<img' 'javascript:' 'data:' 'file:'; do
    [[ "$body" != *"$bad"* ]] || fail "'$bad' of the log passed through: $body"
  done
  grep -qF '<title>a &lt; b</title>' "$scratch/log.htm" || fail "title not escaped"
  grep -qF '&amp; &quot;quoted&quot;' "$scratch/log.htm" || fail "text not escaped"
  grep -qF '<li>月度の値を出力し，保存します．</li>' "$scratch/log.htm" || fail "Japanese lines not joined"
  echo "history page: $(echo $versions) with $got items; a hostile log stays text"
  ;;

desktop)
  need desktop-file-validate desktop-file-utils
  f=$1
  validate_desktop "$f"
  grep -q '^Name\[ja\]=.' "$f" || fail "$f: no Japanese Name"
  grep -q '^Comment\[ja\]=.' "$f" || fail "$f: no Japanese Comment"
  grep -q '^Exec=kestrin %f$' "$f" || fail "$f: Exec does not take a file (%f)"
  grep -q '^MimeType=application/x-kestrin-month;application/x-kestrin-strength;$' "$f" ||
    fail "$f: no MimeType of month files and strength logs"
  echo "desktop-file-validate $f: no messages"
  ;;

metainfo)
  need appstreamcli appstream
  appstreamcli validate --no-net --pedantic "$1" || fail "appstreamcli validate: $1"
  ;;

man)
  need man man-db
  mandir=$1 cli=$2
  pages=$(find "$mandir" -name '*.1' | sort)
  [ -n "$pages" ] || fail "no manual pages in $mandir"
  for page in $pages; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$page: $warnings"
    echo "man --warnings $page: no warnings"
  done
  # The commands the tool lists are the lines "  name  ARGS  summary" after
  # the heading; each must have its entry in every kestrin-cli page.
  commands=$("$cli" --help | sed -n 's/^  \([a-z][a-z0-9-]*\) .*/\1/p')
  [ -n "$commands" ] || fail "kestrin-cli --help lists no commands"
  for page in $(find "$mandir" -name 'kestrin-cli.1'); do
    for c in $commands; do
      grep -Eq "^\.BI? \"?$c( |\"|$)" "$page" || fail "$page does not document the command $c"
    done
    echo "$page documents: $(echo $commands)"
  done
  ;;

mime)
  need xmllint libxml2-utils
  need update-mime-database shared-mime-info
  need gio libglib2.0-bin
  file=$1 type=$2 sample=$3
  xmllint --noout "$file" || fail "xmllint: $file"
  grep -q "<mime-type type=\"$type\">" "$file" || fail "$file does not define $type"
  # The Japanese comment within this type's element.
  sed -n "/<mime-type type=\"${type//\//\\/}\">/,/<\/mime-type>/p" "$file" | grep -q '<comment xml:lang="ja">.' ||
    fail "$file: no Japanese comment of $type"
  data=$(mktemp -d)
  trap 'rm -rf "$data"' EXIT
  mkdir -p "$data/mime/packages" "$data/files"
  cp "$file" "$data/mime/packages/"
  out=$(XDG_DATA_HOME="$data" XDG_DATA_DIRS="$data" update-mime-database "$data/mime" 2>&1) || fail "update-mime-database: $out"
  [ -z "$out" ] || fail "update-mime-database: $out"
  ext=${sample##*.}
  cp "$sample" "$data/files/200502.${ext,,}"
  cp "$sample" "$data/files/200502.${ext^^}"
  cp "$sample" "$data/files/month.dat"
  printf 'not a month' >"$data/files/other.dat"
  typeof() {
    XDG_DATA_HOME="$data" XDG_DATA_DIRS="$data" gio info -a standard::content-type "$1" |
      sed -n 's/^ *standard::content-type: //p'
  }
  for f in "200502.${ext,,}" "200502.${ext^^}" month.dat; do
    got=$(typeof "$data/files/$f")
    [ "$got" = "$type" ] || fail "$f maps to '$got', not $type"
    echo "$f: $got"
  done
  got=$(typeof "$data/files/other.dat")
  [ "$got" != "$type" ] || fail "a file without the magic maps to $type"
  # A strength log's text may stand anywhere in its first 256 bytes (an
  # editor's indent before it), not further in.
  if [ "${ext,,}" = kst ]; then
    { printf '%*s' 200 ''; cat "$sample"; } >"$data/files/indented.dat"
    { printf '%*s' 300 ''; cat "$sample"; } >"$data/files/deep.dat"
    got=$(typeof "$data/files/indented.dat")
    [ "$got" = "$type" ] || fail "a log indented by 200 bytes maps to '$got', not $type"
    got=$(typeof "$data/files/deep.dat")
    [ "$got" != "$type" ] || fail "a log indented by 300 bytes maps to $type"
    echo "indented.dat: $type; deep.dat: $got"
  fi
  ;;

thumbnailer)
  file=$1 cli=$2 sample=$3
  grep -q '^\[Thumbnailer Entry\]$' "$file" || fail "$file: no [Thumbnailer Entry]"
  grep -q '^MimeType=.' "$file" || fail "$file: no MimeType"
  exec_line=$(sed -n 's/^Exec=//p' "$file")
  [ -n "$exec_line" ] || fail "$file: no Exec"
  out=$(mktemp -d)
  trap 'rm -rf "$out"' EXIT
  for s in 128 256; do
    line=${exec_line//%i/$sample}
    line=${line//%o/$out/thumb-$s.png}
    line=${line//%s/$s}
    read -r -a cmd <<<"$line"
    [ "${cmd[0]}" = kestrin-cli ] || fail "Exec runs ${cmd[0]}, not kestrin-cli"
    cmd[0]=$cli
    env -u DISPLAY -u WAYLAND_DISPLAY "${cmd[@]}" || fail "$line failed"
    got=$(png_size "$out/thumb-$s.png") || fail "thumb-$s.png is not a PNG"
    [ "$got" = "${s}x${s}" ] || fail "thumbnail is $got, not ${s}x${s}"
    echo "$line: ${got} PNG"
  done
  ;;

manual)
  source=$1 page=$2 gen=$3
  scratch=$(mktemp -d)
  trap 'rm -rf "$scratch"' EXIT
  "$gen" "$source" "$scratch/page.htm" || fail "$gen $source failed"
  cmp -s "$scratch/page.htm" "$page" || fail "$page is not the page of $source"
  grep -q '^<title>Kestrin 操作マニュアル</title>$' "$page" || fail "$page has not the manual's title"
  sections=0
  while IFS= read -r h; do
    grep -qF "<h2>$h</h2>" "$page" || fail "$page: no section '$h'"
    sections=$((sections + 1))
  done < <(sed -n 's/^## \+//p' "$source")
  [ "$sections" -ge 5 ] || fail "$source has only $sections sections"
  pictures=0
  for img in $(grep -o '<img src="[^"]*"' "$page" | sed 's/<img src="//; s/"$//'); do
    [[ "$img" != */* ]] || fail "$page shows $img from another folder"
    [ -s "$(dirname "$page")/$img" ] || fail "$page shows $img, which is not beside it"
    pictures=$((pictures + 1))
  done
  [ "$pictures" -ge 1 ] || fail "$page shows no picture"
  echo "manual: $sections sections, $pictures pictures"
  ;;
install)
  build=$1 appid=$2 programs=${3//,/ } sizes=${4:-}
  sizes=${sizes//,/ }
  prefix=$(mktemp -d)
  trap 'rm -rf "$prefix"' EXIT
  cmake --install "$build" --prefix "$prefix" >/dev/null || fail "cmake --install $build failed"

  # Only programs and shared data: no headers or libraries of the build.
  for top in "$prefix"/*; do
    case "$(basename "$top")" in bin|share) ;; *) fail "unexpected $(basename "$top")/ in the install" ;; esac
  done
  for p in $programs; do
    [ -x "$prefix/bin/$p" ] || fail "bin/$p not installed"
  done
  "$prefix/bin/kestrin-cli" --help >/dev/null || fail "the installed kestrin-cli does not run"
  cmp -s "$prefix/bin/history.htm" "$build/history.htm" || fail "bin/history.htm missing or not the built page"
  for f in "$build"/manual/*; do
    cmp -s "$prefix/share/doc/kestrin/manual/$(basename "$f")" "$f" ||
      fail "share/doc/kestrin/manual/$(basename "$f") missing or not the built one"
  done

  # The bash completion offers every command that kestrin-cli lists.
  completion="$prefix/share/bash-completion/completions/kestrin-cli"
  [ -f "$completion" ] || fail "bash completion share/bash-completion/completions/kestrin-cli not installed"
  offered=$(bash -c 'source "$1" && COMP_WORDS=(kestrin-cli "") COMP_CWORD=1 && _kestrin_cli && echo "${COMPREPLY[*]}"' _ "$completion") ||
    fail "the bash completion does not run"
  for c in $("$prefix/bin/kestrin-cli" --help | sed -n 's/^  \([a-z][a-z0-9-]*\) .*/\1/p'); do
    [[ " $offered " == *" $c "* ]] || fail "the bash completion does not offer the command $c"
  done

  man="$prefix/share/man"
  for page in man1/kestrin-cli.1 ja/man1/kestrin-cli.1; do
    [ -f "$man/$page.gz" ] || [ -f "$man/$page" ] || fail "manual page $page not installed"
  done

  [ -f "$prefix/share/mime/packages/$appid.xml" ] || fail "MIME type $appid.xml not installed"
  [ -f "$prefix/share/thumbnailers/kestrin.thumbnailer" ] || fail "thumbnailer not installed"

  icon="$prefix/share/icons/hicolor/scalable/apps/kestrin.svg"
  [ -f "$icon" ] || fail "scalable icon not installed"
  # The strength logs' icon under the name of their MIME type, which the
  # installed type names.
  strength_icon=$(sed -n '/x-kestrin-strength">/,/<\/mime-type>/s/.*<icon name="\([^"]*\)".*/\1/p' \
    "$prefix/share/mime/packages/$appid.xml")
  [ -n "$strength_icon" ] || fail "the strength logs' MIME type names no icon"
  [ -f "$prefix/share/icons/hicolor/scalable/mimetypes/$strength_icon.svg" ] ||
    fail "scalable icon $strength_icon not installed"
  for s in $sizes; do
    for png in "$prefix/share/icons/hicolor/${s}x${s}/apps/kestrin.png" \
               "$prefix/share/icons/hicolor/${s}x${s}/mimetypes/$strength_icon.png"; do
      [ -f "$png" ] || fail "icon $png not installed"
      got=$(png_size "$png") || fail "$png is not a PNG"
      [ "$got" = "${s}x${s}" ] || fail "$png is $got, not ${s}x${s}"
    done
  done

  if [[ " $programs " == *" kestrin "* ]]; then
    desktop="$prefix/share/applications/$appid.desktop"
    [ -f "$desktop" ] || fail "desktop entry $appid.desktop not installed"
    [ -f "$prefix/share/metainfo/$appid.metainfo.xml" ] || fail "metainfo not installed"
    exec_prog=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
    [ -x "$prefix/bin/$exec_prog" ] || fail "Exec=$exec_prog is not an installed program"
    icon_name=$(sed -n 's/^Icon=//p' "$desktop")
    [ -f "$prefix/share/icons/hicolor/scalable/apps/$icon_name.svg" ] || fail "Icon=$icon_name has no icon"
    for page in man1/kestrin.1 ja/man1/kestrin.1; do
      [ -f "$man/$page.gz" ] || [ -f "$man/$page" ] || fail "manual page $page not installed"
    done
    if command -v desktop-file-validate >/dev/null 2>&1; then
      validate_desktop "$desktop"
    fi
    if command -v appstreamcli >/dev/null 2>&1; then
      appstreamcli validate-tree --no-net "$prefix" || fail "appstreamcli validate-tree"
    fi
  fi
  echo "installed tree:"
  (cd "$prefix" && find . -type f -o -type l | sort)
  ;;

*)
  echo "usage: $0 desktop|metainfo|man|mime|thumbnailer|install ..." >&2
  exit 2
  ;;
esac
exit 0
