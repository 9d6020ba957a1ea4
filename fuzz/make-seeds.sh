#!/usr/bin/env bash
# Writes the seed corpora of the fuzz targets into tests/data/fuzz/<target>/: small real files of
# each kind. The files are committed; run this again only to change them.
#   bash fuzz/make-seeds.sh build/release/tools/quorvel-tool
set -euo pipefail
tool=$(realpath "${1:?usage: make-seeds.sh PATH/TO/quorvel-tool}")
cd "$(dirname "$0")/.."
out=tests/data/fuzz
rm -rf "$out"
mkdir -p "$out"/{fuzz_template_file,fuzz_handoff,fuzz_settings_ini,fuzz_layout_json,fuzz_picture_loader}

# Layouts as the tool prints them, and templates written from them.
t=$out/fuzz_template_file
j=$out/fuzz_layout_json
"$tool" preset "Único" --size 1920x1080 >"$j/unico_1080.json"
"$tool" preset "Horizontal 4" --size 1280x720 --inputs 5,6,7,8 >"$j/horizontal4_720.json"
"$tool" preset "Distribuída 1-2" --size 1920x1080 >"$j/distribuida12_1080.json"
printf '{"entries": [{"BackFile": "C:\\\\media\\\\fundo é.png", "Visible": false}, {}, {"RecBottom": -99999}]}\n' \
    >"$j/partial.json"
printf '{"entries": []}' >"$j/empty.json"
"$tool" template write "$t/PIPTemplate_1920x1080 _1.DAT" <"$j/unico_1080.json"
"$tool" template write "$t/PIPTemplate_1280x720 _6B.DAT" <"$j/horizontal4_720.json"
"$tool" template write "$t/PIPTemplate_1920x1080 _3.DAT" <"$j/partial.json"
# One and a half records, and four records with a tail the reader ignores.
head -c 852 "$t/PIPTemplate_1920x1080 _1.DAT" >"$t/short.DAT"
{ cat "$t/PIPTemplate_1280x720 _6B.DAT"; printf 'ZZZZZZZZZZ'; } >"$t/long.DAT"

# Hand-off files: complete with CR LF, UTF-8 and UTF-16 with a byte-order mark, one line, and one
# that ends in a blank line.
h=$out/fuzz_handoff
lines() { printf '%s\r\n' 3 2 4 25 1 0 0 2 0 0 0 0 7 0 0 0 0 0 0 0 "$1" 2; }
lines "Estúdio 2" | iconv -f UTF-8 -t WINDOWS-1252 >"$h/complete_ansi.dat"
{ printf '\xEF\xBB\xBF'; lines "Estúdio 2"; } >"$h/complete_utf8.dat"
{ printf '\xFF\xFE'; lines "Estúdio 2" | iconv -f UTF-8 -t UTF-16LE; } >"$h/complete_utf16.dat"
printf '3' >"$h/one_line.dat"
printf '1\n1\n2\n0\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\nStudio\n3\n\n' >"$h/blank_end.dat"

# Settings files: the designer's own, and a hand-edited one with other sections and comments.
s=$out/fuzz_settings_ini
printf '[Quorvel]\nDesignerPosWindowX=120\nDesignerPosWindowY=80\nDesignerWindowWidth=1280\nDesignerWindowHeight=800\nDefaultFolderOpenImages=/home/operador/Imagens\n' \
    >"$s/designer.sav"
{
    printf '\xEF\xBB\xBF; written by hand\r\n[quorvel]\r\nDesignerPosWindowX = abc\r\n'
    printf 'DesignerPosWindowY=-99999\r\nEscala=1,5e3\r\nAtivo=1\r\n\r\n'
    printf '[Inputs]\r\nStreviaInput1=rtsp://127.0.0.1/cam1\r\n# comment\r\n[Quorvel]\r\n'
    printf 'DefaultFolderOpenImages=C:\\media\\fundo \xe9\\\r\n'
} >"$s/hand_edited.sav"

# Pictures: a small picture with a gradient of alpha in each format the loader takes, each behind
# the byte that makes the target use that extension (0 png, 1 jpg, 2 bmp, 3 tga, 4 gif, 5 tif).
p=$out/fuzz_picture_loader
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
convert -size 12x8 gradient:'rgba(255,0,0,1)-rgba(0,0,255,0.2)' "$tmp/src.png"
i=0
for ext in png jpg bmp tga gif tif; do
    case $ext in
    bmp) convert "$tmp/src.png" -define bmp:format=bmp4 "$tmp/p.$ext" ;;
    tif) convert "$tmp/src.png" -compress lzw "$tmp/p.$ext" ;;
    *) convert "$tmp/src.png" "$tmp/p.$ext" ;;
    esac
    { printf "\\$(printf '%03o' $i)"; cat "$tmp/p.$ext"; } >"$p/picture_$ext"
    i=$((i + 1))
done
