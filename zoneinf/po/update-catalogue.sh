#!/usr/bin/env bash
# Brings zoneinf/po/es.po in step with the messages of zoneinf/src: new
# ones are added untranslated (zoneinf shows them in English until they
# are translated), gone ones are kept as obsolete. Then lists what is left
# to translate.
set -euo pipefail
cd "$(dirname "$0")"
template=$(mktemp --suffix=.pot)
compiled=$(mktemp --suffix=.mo)
trap 'rm -f "$template" "$compiled"' EXIT
xgettext --language=C++ --from-code=UTF-8 --keyword=_ --keyword=N_ --keyword=TranslatePlural:1,2 \
    --no-location --sort-output --package-name=zoneinf --msgid-bugs-address=zonechange-dev@lists.example.org --output="$template" ../src/*/*.cpp ../src/*/*.h
msgmerge --quiet --update --backup=none --no-fuzzy-matching --no-location --sort-output es.po "$template"
msgfmt --check --statistics --output-file="$compiled" es.po
msgattrib --untranslated --no-obsolete es.po || true
