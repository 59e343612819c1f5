#!/usr/bin/env bash
# Rebuilds the seed corpora in fuzz/corpus/ from the sample documents, the
# import test files and a few hand-written inputs. Import, clipboard and
# number inputs start with option bytes (see each target); the seeds use a
# few settings for each file.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
corpus="$root/fuzz/corpus"
rm -rf "$corpus"
mkdir -p "$corpus"/{document,import,clipboard,number,choices}

# Documents: every sample as it is.
cp "$root"/examples/*.vxd "$corpus/document/"

# Import: each text file under six settings (point or comma decimals,
# standard or indexed import, with or without a filter, a new averaged or
# two-by-two document).
n=0
for file in "$root"/examples/*.csv "$root"/tests/data/import/*; do
    for options in '\x00\x00' '\x01\x07' '\x0a\x04' '\x45\x21' '\x0f\x01' '\x10\x04'; do
        { printf "$options"; cat "$file"; } > "$corpus/import/$(basename "$file").$n"
        n=$((n + 1))
    done
done

# Clipboard: the import files and spreadsheet-like texts at a few cursors,
# into the data grid, the summary grid (third byte 0x34) and the titles (0x4e).
n=0
for file in "$root"/tests/data/import/*; do
    { printf '\x00\x00\x00'; cat "$file"; } > "$corpus/clipboard/file.$n"; n=$((n + 1))
done
while IFS= read -r text; do
    for options in '\x00\x05\x02' '\x05\x00\x00' '\x0b\x10\x19' '\x51\x00\x01' '\x8f\x02\x00' \
                   '\x00\x00\x34' '\x01\x00\x4e'; do
        printf "$options$text" > "$corpus/clipboard/text.$n"; n=$((n + 1))
    done
done <<'TEXTS'
1\t2\r\n3\t4
Weight\tHeight\r\n70,5\t180\r\n65\t#N/A
Mouse\t1.5E3;-2\r\n\r\nRat\t\t7
"a"\t1e99999\tnan\t-0\r\n1,5;2,5
TEXTS

# Numbers: one settings byte, then the text.
n=0
for text in '1.5' '-1E-5' '1,5' ' 12 ' '+.5e+3' '1e99999' '1e-4950' '0.00011' '1.7E38' \
            '1.5E38' '123456789012345678901234567890' '-0' '1.2.3' '1E' '--1' 'inf' '1,234.5'; do
    for settings in '\x00' '\x01' '\x04'; do
        printf "$settings%s" "$text" > "$corpus/number/n.$n"; n=$((n + 1))
    done
done

# Choices: one assignment per line, as the command line takes them.
printf 'PostTestMethod=2\nSelectedPairs=1101\n' > "$corpus/choices/post_tests"
printf 'ColumnCountClass=3\nMultiColNonParametric=1\nPostTestPairs=2\nControlColumn=1\x01' > "$corpus/choices/dunn"
printf 'FitRegression=0\nCorrelationKind=2\nForceX=1.5e38\x0b' > "$corpus/choices/xy"
printf 'UseChiSquare=1\nYatesCorrection=F\nOddsRatio=true\nSensitivity=1\x09' > "$corpus/choices/two_by_two"
printf 'IndependentX=011\nDependentY=0\nMRGraphX=C\nMultipleRegression=0\x0d' > "$corpus/choices/regression"
printf 'HypotheticalValue=-1e-4950\nHypotheticalChoice=3\nOneColNonParametric=1\nTwoColEqualSD=f' \
    > "$corpus/choices/columns"
