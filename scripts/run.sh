#!/usr/bin/env bash
# Installs what Kestrin needs, builds it and starts it. Where there is no
# graphical display (an SSH session, a server), it renders the example
# month's two printed sheets to a PDF with kestrin-cli instead and says how
# to start the window on a desktop. Arguments go to kestrin (a .slt file).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh

example=examples/sample-month.slt
pdf=build/sample-month-sheets.pdf

no_display() {
  echo "グラフィカルなディスプレイがないため，Kestrin の画面は開けません．"
  if [ -x build/kestrin-cli ] && [ -f "$example" ]; then
    build/kestrin-cli sheets "$example" -o "$pdf" >/dev/null
    echo "代わりに例の月度（$example）の帳票２枚（管理表・ヒストグラム，Ｘ管理図）を PDF に書きました："
    echo "  $(pwd)/$pdf"
  fi
  echo "画面はデスクトップ（X11 または Wayland）のセッションで次のように起動します："
  echo "  bash scripts/run.sh        （または $(pwd)/build/kestrin $example）"
  echo "SSH からは X 転送（ssh -X）か，xvfb-run -a build/kestrin で仮想ディスプレイに開けます．"
}

if [ ! -x build/kestrin ]; then
  echo "Kestrin was built without its window (build/kestrin is missing)." >&2
  no_display
  exit 0
fi

# The window's own check (the X server or Wayland socket really answers)
# decides; it exits 1 with its message when there is no display.
set +e
err=$(mktemp)
build/kestrin "$@" 2> >(tee "$err" >&2)
rc=$?
set -e
wait
if [ "$rc" -eq 1 ] && grep -q 'グラフィカルなディスプレイが必要です' "$err"; then
  rm -f "$err"
  echo
  no_display
  exit 0
fi
rm -f "$err"
exit "$rc"
