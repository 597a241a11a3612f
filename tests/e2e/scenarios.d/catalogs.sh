# Closing the window during a run asks 15301 in the system's language: under each locale the box
# shows the catalogue's text on its two lines, and the buttons it names are the ones the box has.
# With E2E_SHOTS=DIR each box is also photographed there (close-question-CODE.png).

# close_question LOCALE:CODE:CODEPAGE:OK:CANCEL...: one run per language, closed while the product
# refuses to close; OK ends it, so nothing is removed and the next language starts afresh.
close_question() {
  need_uninstaller; begin
  install --uninstaller "$E2E_UNINSTALL" "${catalogs[@]}"
  standin refuse "$E2E_FIXTURE"
  local entry code cp yes no text shot=() shooter= content buttons own=$locale
  for entry in "$@"; do
    IFS=: read -r locale code cp yes no <<<"$entry"
    locale=$locale.UTF-8
    # The driver prints what it reads in the locale's code page.
    yes=$(printf '%s' "$yes" | iconv -f UTF-8 -t "CP$cp")
    no=$(printf '%s' "$no" | iconv -f UTF-8 -t "CP$cp")
    text=$(catalog_text "$E2E_CATALOGS/SetupMsg.$code" 15301)
    [ -n "$text" ] || { bad "$code: no catalogue with 15301"; continue; }
    rm -f "$dir/driver.txt"
    if [ -n "${E2E_SHOTS:-}" ]; then
      mkdir -p "$E2E_SHOTS"
      (waitline box-buttons "$dir/driver.txt" &&
        import -window root "$E2E_SHOTS/close-question-$code.png") &
      shooter=$!
      shot=(sleep 1500)
    fi
    drive form click uninstall close box "${shot[@]}" answer ok exit
    [ -n "$shooter" ] && wait "$shooter"
    content=$'\n'$(cat "$dir/driver.txt")$'\n'
    if [[ $content == *$'\n'"box ${text//\\n/$'\n'}"$'\n'* ]]; then ok "$code: the box shows 15301 on its lines"
    else bad "$code: the box does not show 15301"; fi
    if [[ $text == *"[$yes]"*"[$no]"* ]]; then ok "$code: 15301 names OK and Cancel"
    else bad "$code: 15301 names other buttons"; fi
    # Wine's Italian box reads "Ok" where Windows reads "OK": the labels compare without case.
    buttons=$(grep -a '^box-buttons ' "$dir/driver.txt")
    if [ "${buttons,,}" = "box-buttons ${yes,,},*${no,,}" ]; then ok "$code: the box has these buttons"
    else bad "$code: the box has other buttons: $buttons"; fi
    saw "exit 1602"
  done
  locale=$own
  unchanged
}

scenario_close_question_cjk() {
  close_question ja_JP:JPN:932:OK:キャンセル zh_TW:CHT:950:確定:取消 zh_CN:CHS:936:确定:取消 \
    ko_KR:KOR:949:확인:취소
}

scenario_close_question_latin() {
  close_question de_DE:DEU:1252:OK:Abbrechen fr_FR:FRA:1252:OK:Annuler es_ES:ESN:1252:Aceptar:Cancelar \
    it_IT:ITA:1252:OK:Annulla pt_BR:PTG:1252:OK:Cancelar tr_TR:TRK:1254:Tamam:İptal
}
