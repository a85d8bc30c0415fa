#!/usr/bin/env bash
# Saves corpus documents whole through the document server and puts a screenshot of each page (headless Chromium)
# beside LibreOffice's rendering of the same document (a PDF page, the first unless the entry names another). Needs
# chromium, libreoffice-writer-nogui, poppler-utils and a build with save_whole_document. LibreOffice's rendering depends on the document alone and is made
# only when it is missing (delete NAME.libreoffice.png to make it again). Usage: make-screenshots.sh BUILD_DIR CORPUS_DIR
set -euo pipefail
build=${1:?build folder}
corpus=${2:?corpus folder}
out=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# short name = corpus file, optionally @ the LibreOffice page to show @ the browser window's height
documents=(
    "pictures=poi__VariousPictures.docx"
    "lists=docling__docx_lists.docx"
    "numbered-headings=docling__unit_test_headers_numbered.docx"
    "enumerated-headings=pandoc__enumerated_headings.docx"
    "notes=pandoc__notes.docx"
    "chinese-manual=ruoyi__若依环境使用手册.docx"
    "report-tables=oxsdk__BackgroundReport_-_THE_WORKING_GROUP_ON_INTERNET_GOVERNANCE.docx"
    "equations=docling__equations.docx"
    "toc=docx4j__toc.docx"
    "word2006ml=tika__testWORD_2006ml.docx"
    "drawing=poi__drawing.docx"
    "header-footer-unicode=poi__HeaderFooterUnicode.docx"
    "symbol-bullets=oxsdk__comment.docx"
    "text-boxes=poi__stress003.docx"
    "chart=tika__testWORD_2006ml.docx@4@1500"
)
for entry in "${documents[@]}"; do
    name=${entry%%=*}
    IFS=@ read -r file page height <<<"${entry#*=}"
    source="$corpus/$file"
    "$build/bin/save_whole_document" "$source" "$work/$name.html"
    chromium --headless --no-sandbox --disable-gpu --disable-background-networking --disable-component-update \
        --disable-sync --no-first-run --hide-scrollbars --user-data-dir="$(mktemp -d -p "$work")" \
        --window-size=800,"${height:-1000}" --screenshot="$out/$name.html.png" "file://$work/$name.html" 2>/dev/null
    [ -e "$out/$name.libreoffice.png" ] && continue
    cp "$source" "$work/$name.${source##*.}"
    soffice -env:UserInstallation="file://$work/profile" --headless --convert-to pdf --outdir "$work" \
        "$work/$name.${source##*.}" >/dev/null 2>&1
    pdftoppm -png -r 72 -f "${page:-1}" -l "${page:-1}" -singlefile "$work/$name.pdf" "$out/$name.libreoffice"
done
