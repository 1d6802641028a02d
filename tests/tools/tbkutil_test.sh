#!/usr/bin/env bash
# tbkutil as a user runs it. Arguments: the command that runs tbkutil (a path, or the Wine
# runner followed by the program).
set -u
tbkutil=("$@")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# Under Wine the program sees the same files through the Z: drive.
path_arg() {
    case "${tbkutil[0]}" in
        *wine-run.sh) echo "Z:$1" | tr / '\\' ;;
        *) echo "$1" ;;
    esac
}

run() { "${tbkutil[@]}" "$@"; }

entry() { # id lastname firstname note
    printf '\t\t<entry id="%s">\r\n' "$1"
    printf '\t\t\t<lastname value="%s"/>\r\n' "$2"
    printf '\t\t\t<firstname value="%s"/>\r\n' "$3"
    for tag in nickname company jobtitle homephone mobile homeemail homewww homeaddress officephone \
        officefax officeemail officewww officeaddress; do
        printf '\t\t\t<%s value=""/>\r\n' "$tag"
    done
    printf '\t\t\t<note value="%s"/>\r\n' "$4"
    printf '\t\t</entry>\r\n'
}

book() { # count, then the entries on stdin
    printf '<?xml version="1.0" encoding="utf-8"?>\r\n'
    printf '\t<addressbook name="Tovano Address Book" value="%s">\r\n' "$1"
    cat
    printf '\t</addressbook>\r\n'
}

# A file the program wrote, without names equal apart from case, comes back byte for byte.
{ entry 0 Adams "Bob" 'says &quote;hi&quote;\r\nbye'; entry 1 "O'Brien" "Ann" ""; entry 2 "Zeta" "" "<&>"; } |
    book 3 >"$work/sorted.xml"
run resave "$(path_arg "$work/sorted.xml")" "$(path_arg "$work/out.xml")" 2>"$work/err" ||
    fail "resave of a clean file exited $?"
cmp -s "$work/sorted.xml" "$work/out.xml" || fail "resave changed a sorted file"
[ -s "$work/err" ] && fail "resave of a clean file wrote to stderr: $(cat "$work/err")"

# Names equal apart from case swap places on every load.
{ entry 0 Brown Anna first; entry 1 brown anna second; } | book 2 >"$work/case.xml"
run resave "$(path_arg "$work/case.xml")" "$(path_arg "$work/case1.xml")" || fail "resave exited $?"
grep -q 'value="second"' "$work/case1.xml" || fail "case-equal names lost a record"
first_note=$(grep -o 'note value="[a-z]*"' "$work/case1.xml" | head -n 1)
[ "$first_note" = 'note value="second"' ] || fail "case-equal names did not swap: $first_note"
run resave "$(path_arg "$work/case1.xml")" "$(path_arg "$work/case2.xml")" || fail "resave exited $?"
cmp -s "$work/case.xml" "$work/case2.xml" || fail "two resaves did not restore the order"

# check: the count, and exit codes 0, 1 and 2.
out=$(run check "$(path_arg "$work/sorted.xml")")
code=$?
out=${out%$'\r'}
[ "$out" = "3" ] && [ $code -eq 0 ] || fail "check of a clean file: '$out', exit $code"

printf '<r><entry><lastname value="A"/></entry></x></r>' >"$work/warn.xml"
out=$(run check "$(path_arg "$work/warn.xml")" 2>"$work/err")
code=$?
out=${out%$'\r'}
[ $code -eq 1 ] || fail "check of a damaged file exited $code"
[ "$out" = "1" ] || fail "check of a damaged file printed '$out'"
tr -d '\r' <"$work/err" >"$work/err.txt"
printf 'Warning Element Terminator exists without matching initial Block /x\nWarning Element Terminator exists without matching initial Block /r\n' >"$work/expected.txt"
cmp -s "$work/err.txt" "$work/expected.txt" || fail "warnings on stderr: $(cat "$work/err.txt")"

# A resave over the file it read only in part keeps that file as a numbered backup first.
cp "$work/warn.xml" "$work/warn-copy.xml"
run resave "$(path_arg "$work/warn-copy.xml")" "$(path_arg "$work/warn-copy.xml")" 2>"$work/err"
code=$?
[ $code -eq 1 ] || fail "resave of a damaged file exited $code"
cmp -s "$work/warn.xml" "$work/warn-copy.xml.bak" || fail "resave over a damaged file kept no backup"
grep -q 'warn-copy.xml.bak' "$work/err" || fail "resave did not name the backup: $(cat "$work/err")"
head -c 200 /dev/urandom | tr -d '<' >"$work/noise.xml"
run resave "$(path_arg "$work/noise.xml")" "$(path_arg "$work/noise-out.xml")" 2>"$work/err"
[ $? -eq 1 ] && grep -q 'read only in part' "$work/err" || fail "resave of a file with no root: $(cat "$work/err")"

run check "$(path_arg "$work/absent.xml")" >/dev/null 2>"$work/err"
code=$?
[ $code -eq 2 ] || fail "check of a missing file exited $code"
[ -s "$work/err" ] || fail "check of a missing file gave no message"

run resave "$(path_arg "$work/sorted.xml")" "$(path_arg "$work/no-folder/out.xml")" 2>"$work/err"
code=$?
[ $code -eq 2 ] || fail "resave into a missing folder exited $code"
grep -q 'out.xml' "$work/err" || fail "resave failure message does not name the file: $(cat "$work/err")"

# export and import: formats, the summary, duplicates, backups, and nothing written on an error.
on_wine() { case "${tbkutil[0]}" in *wine-run.sh) return 0 ;; *) return 1 ;; esac; }
{ entry 0 Adams "Bob" 'says &quote;hi&quote;, ok; no:\\r\\nbye'; entry 1 "Zoe" "Ann" ""; } | book 2 >"$work/two.xml"
for target in two.vcf two.csv; do
    run export "$(path_arg "$work/two.xml")" "$(path_arg "$work/$target")" >/dev/null 2>"$work/err" ||
        fail "export to $target exited $?"
done
grep -q '^VERSION:3.0' "$work/two.vcf" || fail "export wrote no vCard 3.0"
head -c 3 "$work/two.csv" | cmp -s - <(printf '\xEF\xBB\xBF') || fail "Outlook CSV without byte-order mark"
run export "$(path_arg "$work/two.xml")" "$(path_arg "$work/two.txt")" >/dev/null 2>"$work/err"
[ $? -eq 2 ] && grep -q -- '--format' "$work/err" || fail "export to an unknown extension: $(cat "$work/err")"
run export "$(path_arg "$work/two.xml")" "$(path_arg "$work/x.vcf")" --vcard-version 5.0 >/dev/null 2>&1
[ $? -eq 2 ] && [ ! -e "$work/x.vcf" ] || fail "an unknown vCard version was accepted"

out=$(run import "$(path_arg "$work/two.vcf")" --into "$(path_arg "$work/new.xml")" 2>"$work/err")
code=$?
[ $code -eq 0 ] || fail "import into a new book exited $code: $(cat "$work/err")"
echo "$out" | grep -q 'added 2, skipped as duplicates 0, characters replaced 0, properties moved into notes 0, photos skipped 0, lines skipped 0' ||
    fail "import summary: $out"
run resave "$(path_arg "$work/two.xml")" "$(path_arg "$work/two-sorted.xml")"
cmp -s "$work/two-sorted.xml" "$work/new.xml" || fail "vCard import did not give back the book"

# The same names and one shared number: a duplicate, skipped unless kept on purpose.
printf 'BEGIN:VCARD\r\nVERSION:3.0\r\nN:Adams;Bob;;;\r\nTEL;TYPE=CELL:555 0100\r\nEND:VCARD\r\n' >"$work/dup.vcf"
run import "$(path_arg "$work/dup.vcf")" --into "$(path_arg "$work/dup.xml")" >/dev/null 2>&1
cp "$work/dup.xml" "$work/dup-first.xml"
out=$(run import "$(path_arg "$work/dup.vcf")" --into "$(path_arg "$work/dup.xml")" 2>"$work/err")
[ $? -eq 0 ] || fail "import of a duplicate exited $?"
echo "$out" | grep -q 'added 0, skipped as duplicates 1' || fail "duplicate not reported: $out"
grep -q 'Adams, Bob' "$work/err" || fail "duplicate not named: $(cat "$work/err")"
cmp -s "$work/dup-first.xml" "$work/dup.xml" || fail "an import of duplicates changed the book"
[ -e "$work/dup.xml.bak" ] && fail "an import that added nothing made a backup"
run import "$(path_arg "$work/dup.vcf")" --into "$(path_arg "$work/dup.xml")" --keep-duplicates >/dev/null 2>&1
[ "$(run check "$(path_arg "$work/dup.xml")" | tr -d '\r')" = "2" ] || fail "--keep-duplicates did not add"
cmp -s "$work/dup-first.xml" "$work/dup.xml.bak" || fail "the previous book was not kept as a backup"

# The same person with a value the book lacks: merged into the book's contact, and named with
# what it brought (the address with its parts); the number written another way is no new value.
cp "$work/dup-first.xml" "$work/merge.xml"
printf 'BEGIN:VCARD\r\nVERSION:3.0\r\nN:Adams;Bob;;;\r\nTEL;TYPE=CELL:555-0100\r\nADR;TYPE=WORK:;;1 Main St;Springfield;;;\r\nEND:VCARD\r\n' \
    >"$work/more.vcf"
out=$(run import "$(path_arg "$work/more.vcf")" --into "$(path_arg "$work/merge.xml")" 2>"$work/err")
code=$?
[ $code -eq 0 ] && echo "$out" | tr -d '\r' | grep -q 'imported into .*: added 0, skipped as duplicates 0, .*, duplicates merged 1$' ||
    fail "merged contact not counted: exit $code, $out"
tr -d '\r' <"$work/err" | grep -q 'more.vcf: merged into "Adams, Bob": Office address, Further values$' ||
    fail "merge not named: $(cat "$work/err")"
[ "$(run check "$(path_arg "$work/merge.xml")" | tr -d '\r')" = "1" ] && grep -q '1 Main St' "$work/merge.xml" &&
    ! grep -q '555-0100' "$work/merge.xml" || fail "the merged book: $(cat "$work/merge.xml")"

# Lines an earlier import wrote at the end of a note become values; --dry-run writes nothing,
# and a book without such lines is left alone.
cat >"$work/tidy.xml" <<'XML'
<?xml version="1.0" encoding="utf-8"?>
	<addressbook name="Tovano Address Book" value="1">
		<entry id="0">
			<lastname value="Gump"/>
			<note value="own note\r\nMiddle name: Hoge\r\nBirthday: 19800101\r\nDisplay name: Joe Due"/>
		</entry>
	</addressbook>
XML
cp "$work/tidy.xml" "$work/tidy-first.xml"
out=$(run tidy-notes "$(path_arg "$work/tidy.xml")" --dry-run | tr -d '\r')
echo "$out" | grep -q '2 lines of 1 contact would become values' && cmp -s "$work/tidy.xml" "$work/tidy-first.xml" ||
    fail "tidy-notes --dry-run: $out"
run tidy-notes "$(path_arg "$work/tidy.xml")" >/dev/null || fail "tidy-notes exited $?"
grep -q '<middlename value="Hoge"/>' "$work/tidy.xml" && grep -q '<date type="birthday" value="1980-01-01"/>' "$work/tidy.xml" &&
    grep -q '<note value="own note\\r\\nDisplay name: Joe Due"/>' "$work/tidy.xml" || fail "tidied book: $(cat "$work/tidy.xml")"
cp "$work/tidy.xml" "$work/tidy-second.xml"
out=$(run tidy-notes "$(path_arg "$work/tidy.xml")" | tr -d '\r')
echo "$out" | grep -q 'no note in' && cmp -s "$work/tidy.xml" "$work/tidy-second.xml" || fail "a second tidy-notes: $out"

# A file larger than an import reads is refused before it is read (a file of holes, so quick).
truncate -s $((256 * 1024 * 1024 + 1)) "$work/huge.vcf"
run import "$(path_arg "$work/huge.vcf")" --into "$(path_arg "$work/merge.xml")" >/dev/null 2>"$work/err"
code=$?
[ $code -eq 2 ] && grep -q 'huge.vcf is 256.1 MB, more than the 256 MB an import reads' "$work/err" ||
    fail "a file above the limit: exit $code, $(cat "$work/err")"
rm -f "$work/huge.vcf"

printf 'BEGIN:VCARD\r\nVERSION:3.0\r\nN:Roe;Ray;;;\r\nthis is no property\r\nEND:VCARD\r\n' >"$work/bad-line.vcf"
run import "$(path_arg "$work/bad-line.vcf")" --into "$(path_arg "$work/new.xml")" >/dev/null 2>"$work/err"
code=$?
[ $code -eq 1 ] || fail "import with a malformed line exited $code"
grep -q 'bad-line.vcf:4: skipped a line' "$work/err" || fail "malformed line not named: $(cat "$work/err")"

cp "$work/new.xml" "$work/before.xml"
printf 'jane@doe.invalid,Doe\r\nann@roe.invalid,Roe\r\n' >"$work/headless.csv"
run import "$(path_arg "$work/headless.csv")" --into "$(path_arg "$work/new.xml")" >/dev/null 2>"$work/err"
code=$?
[ $code -eq 2 ] && grep -q 'headless.csv:1: the first line is not a header row' "$work/err" ||
    fail "CSV without a header row: exit $code, $(cat "$work/err")"
cmp -s "$work/before.xml" "$work/new.xml" && [ ! -e "$work/new.xml.2.bak" ] || fail "a failed import wrote"

# A header row of no known program is read, with one warning for the whole file.
printf 'Nick;Mail\r\nAl;al@x.invalid\r\nBo;bo@x.invalid\r\n' >"$work/custom.csv"
out=$(run import "$(path_arg "$work/custom.csv")" --into "$(path_arg "$work/custom.xml")" 2>"$work/err")
code=$?
[ $code -eq 1 ] && [ "$(grep -c 'custom.csv' "$work/err")" = "1" ] && echo "$out" | grep -q 'added 2,' ||
    fail "CSV with a header of no known program: exit $code, $out, $(cat "$work/err")"
run import "$(path_arg "$work/absent.vcf")" --into "$(path_arg "$work/new.xml")" >/dev/null 2>"$work/err"
[ $? -eq 2 ] && grep -q 'absent.vcf' "$work/err" || fail "a missing input file: $(cat "$work/err")"
if ! on_wine; then
    run import "$(path_arg "$work/two.vcf")" >/dev/null 2>"$work/err"
    [ $? -eq 2 ] && grep -q -- '--into' "$work/err" || fail "import without a book here: $(cat "$work/err")"
fi

# Files of any name, names of any script: every character is imported, exported and printed.
printf 'BEGIN:VCARD\r\nVERSION:3.0\r\nN:\xce\xa0\xce\xb1\xcf\x80\xce\xac;\xce\xa3\xce\xbf\xcf\x86\xce\xaf\xce\xb1;;;\r\nNOTE:\xf0\x9f\x98\x80 \xe9\x99\xb3\r\nEND:VCARD\r\n' >"$work/контакты.vcf"
out=$(run import "$(path_arg "$work/контакты.vcf")" --into "$(path_arg "$work/книга.xml")" 2>"$work/err")
code=$?
[ $code -eq 0 ] || fail "import of a file with a Cyrillic name exited $code: $(cat "$work/err")"
echo "$out" | grep -q 'книга.xml: added 1, skipped as duplicates 0, characters replaced 0' || fail "import summary: $out"
grep -q 'lastname value="Παπά"' "$work/книга.xml" && grep -q 'note value="😀 陳"' "$work/книга.xml" ||
    fail "the book lost characters: $(cat "$work/книга.xml")"
run export "$(path_arg "$work/книга.xml")" "$(path_arg "$work/экспорт.vcf")" --vcard-version 4.0 >/dev/null 2>&1
grep -q '^N:Παπά;Σοφία;;;' "$work/экспорт.vcf" || fail "export lost characters: $(cat "$work/экспорт.vcf")"

# A book written before UTF-8 is read in its code page and kept as a backup when written over.
printf '<?xml version="1.0" encoding="utf-8"?>\r\n\t<addressbook name="Tovano Address Book" value="1">\r\n' >"$work/old.xml"
entry 0 "$(printf '\xc8\xe2\xe0\xed\xee\xe2')" "" "" >>"$work/old.xml"
printf '\t</addressbook>\r\n' >>"$work/old.xml"
cp "$work/old.xml" "$work/old-before.xml"
run --legacy-codepage 1251 resave "$(path_arg "$work/old.xml")" "$(path_arg "$work/old.xml")" >/dev/null 2>"$work/err"
[ $? -eq 0 ] || fail "resave of an old book exited $?: $(cat "$work/err")"
grep -q 'lastname value="Иванов"' "$work/old.xml" || fail "the old book was not read in its code page"
cmp -s "$work/old-before.xml" "$work/old.xml.bak" || fail "the old book was not kept as a backup"

# Two imports into one book at once: the second waits for the first, so neither is lost.
python3 - "$work" <<'EOT'
import sys
work = sys.argv[1]
fields = ["lastname", "firstname", "nickname", "company", "jobtitle", "homephone", "mobile", "homeemail",
          "homewww", "homeaddress", "officephone", "officefax", "officeemail", "officewww", "officeaddress", "note"]
with open(work + "/big.xml", "w", newline="") as book:
    book.write('<?xml version="1.0" encoding="utf-8"?>\r\n\t<addressbook name="Tovano Address Book" value="20000">\r\n')
    for i in range(20000):
        book.write('\t\t<entry id="%d">\r\n' % i)
        for field in fields:
            value = {"lastname": "Book%05d" % i, "mobile": "555 %05d" % i}.get(field, "")
            book.write('\t\t\t<%s value="%s"/>\r\n' % (field, value))
        book.write('\t\t</entry>\r\n')
    book.write('\t</addressbook>\r\n')
for name in "AB":
    with open("%s/import-%s.vcf" % (work, name), "w", newline="") as cards:
        for i in range(3000):
            cards.write("BEGIN:VCARD\r\nVERSION:3.0\r\nN:%s%04d;X;;;\r\nTEL;TYPE=CELL:%s %04d\r\nEND:VCARD\r\n"
                        % (name, i, name, i))
EOT
run import "$(path_arg "$work/import-A.vcf")" --into "$(path_arg "$work/big.xml")" >/dev/null 2>"$work/errA" &
first=$!
run import "$(path_arg "$work/import-B.vcf")" --into "$(path_arg "$work/big.xml")" >/dev/null 2>"$work/errB"
code_b=$?
wait $first
code_a=$?
[ $code_a -eq 0 ] && [ $code_b -eq 0 ] || fail "imports side by side exited $code_a and $code_b: $(cat "$work/errA" "$work/errB")"
[ "$(run check "$(path_arg "$work/big.xml")" | tr -d '\r')" = "26000" ] || fail "an import side by side was lost"
[ -e "$work/big.xml.lock" ] && fail "the lock file stayed"

# duplicates lists the groups; merge-duplicates merges the certain ones (a dry run writes
# nothing), keeps the previous book, and loses no value.
printf '%b' 'BEGIN:VCARD\r\nVERSION:3.0\r\nN:Meier;Anna;;;\r\nTEL;TYPE=CELL:+49 30 1234567\r\nEND:VCARD\r\n' \
    'BEGIN:VCARD\r\nVERSION:3.0\r\nN:Anna Meier;;;;\r\nTEL;TYPE=HOME:030 1234567\r\nNOTE:met in Rome\r\nEND:VCARD\r\n' \
    'BEGIN:VCARD\r\nVERSION:3.0\r\nN:Roth;Bernd;;;\r\nEMAIL:b@roth.de\r\nEND:VCARD\r\n' \
    'BEGIN:VCARD\r\nVERSION:3.0\r\nN:Roth;Carla;;;\r\nEMAIL:b@roth.de\r\nEND:VCARD\r\n' >"$work/twice.vcf"
run import "$(path_arg "$work/twice.vcf")" --into "$(path_arg "$work/twice.xml")" --keep-duplicates >/dev/null ||
    fail "import of duplicates exited $?"
run duplicates "$(path_arg "$work/twice.xml")" >"$work/dups"
[ $? -eq 1 ] || fail "duplicates found exited other than 1"
out=$(tr -d '\r' <"$work/dups")
printf '%s\n' "$out" | grep -q '^same name and phone:$' || fail "duplicates: no certain group: $out"
printf '%s\n' "$out" | grep -q '^same e-mail, other name:$' || fail "duplicates: no suggestion: $out"
cp "$work/twice.xml" "$work/twice-before.xml"
run merge-duplicates "$(path_arg "$work/twice.xml")" --dry-run >/dev/null || fail "dry run exited $?"
cmp -s "$work/twice.xml" "$work/twice-before.xml" || fail "a dry run wrote the book"
out=$(run merge-duplicates "$(path_arg "$work/twice.xml")" | tr -d '\r') || fail "merge-duplicates exited $?"
printf '%s\n' "$out" | grep -q 'merged 1 group in' || fail "merge summary: $out"
cmp -s "$work/twice.xml.bak" "$work/twice-before.xml" || fail "the book before the merge was not kept"
[ "$(run check "$(path_arg "$work/twice.xml")" | tr -d '\r')" = "3" ] || fail "the merge did not leave three contacts"
grep -q '030 1234567' "$work/twice.xml" && grep -q 'met in Rome' "$work/twice.xml" || fail "the merge lost a value"
run duplicates "$(path_arg "$work/twice.xml")" | grep -q 'same name and' && fail "a certain group is left"

# A card's photo becomes a file in the folder beside the book, which every version's export
# carries back out: imported again, each gives the same file.
picture=$(printf '\377\330\377\340 a tiny picture \000\001\002' | base64 -w 0)
printf 'BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lind;Eva;;;\r\nPHOTO;ENCODING=b;TYPE=JPEG:%s\r\nEND:VCARD\r\n' "$picture" >"$work/photo.vcf"
run import "$(path_arg "$work/photo.vcf")" --into "$(path_arg "$work/photo.xml")" >/dev/null 2>"$work/err" ||
    fail "import of a photo exited $?: $(cat "$work/err")"
photo_files=("$work/photo photos"/*.jpg)
if [ ${#photo_files[@]} -ne 1 ] || [ "$(base64 -w 0 <"${photo_files[0]}")" != "$picture" ]; then
    fail "the photo's file is not the card's picture: ${photo_files[*]}"
fi
photo_name=$(basename "${photo_files[0]}")
grep -q "$photo_name" "$work/photo.xml" || fail "the book does not name the photo's file"
for version in 2.1 3.0 4.0; do
    run export "$(path_arg "$work/photo.xml")" "$(path_arg "$work/photo-$version.vcf")" --vcard-version $version >/dev/null ||
        fail "export $version exited $?"
    run import "$(path_arg "$work/photo-$version.vcf")" --into "$(path_arg "$work/back-$version.xml")" >/dev/null ||
        fail "import of the $version export exited $?"
    cmp -s "${photo_files[0]}" "$work/back-$version photos/$photo_name" || fail "the photo did not come back from $version"
done

# groups lists each group with its count; birthdays lists the dates coming up from a day;
# export --group sends one group's contacts alone.
printf '%b' 'BEGIN:VCARD\r\nVERSION:3.0\r\nN:Adams;Ann;;;\r\nBDAY:1985-12-31\r\nCATEGORIES:Family,Chess\r\nEND:VCARD\r\n' \
    'BEGIN:VCARD\r\nVERSION:3.0\r\nN:Baker;Bob;;;\r\nBDAY:--01-01\r\nCATEGORIES:family\r\nEND:VCARD\r\n' \
    'BEGIN:VCARD\r\nVERSION:3.0\r\nN:Clark;Cy;;;\r\nBDAY:1988-02-29\r\nEND:VCARD\r\n' >"$work/groups.vcf"
run import "$(path_arg "$work/groups.vcf")" --into "$(path_arg "$work/groups.xml")" >/dev/null || fail "import for groups exited $?"
out=$(run groups "$(path_arg "$work/groups.xml")" | tr -d '\r' | tr '\t' '|')
[ "$out" = "$(printf 'Chess|1\nFamily|2\n(not in a group)|1')" ] || fail "groups: $out"
out=$(run birthdays "$(path_arg "$work/groups.xml")" --from 2026-12-31 --days 60 | tr -d '\r')
expected=$(printf '%s\n' '2026-12-31  Adams, Ann: birthday (41), today' '2027-01-01  Baker, Bob: birthday, tomorrow' \
    '2027-02-28  Clark, Cy: birthday (39)')
[ "$out" = "$expected" ] || fail "birthdays: $out"
run export "$(path_arg "$work/groups.xml")" "$(path_arg "$work/family.vcf")" --group FAMILY >/dev/null ||
    fail "export --group exited $?"
[ "$(grep -c '^BEGIN:VCARD' "$work/family.vcf")" = "2" ] || fail "export --group did not give the group alone"
run export "$(path_arg "$work/groups.xml")" "$(path_arg "$work/none.vcf")" --group Nobody >/dev/null 2>&1
[ $? -eq 2 ] && [ ! -e "$work/none.vcf" ] || fail "export of an empty group wrote a file or did not fail"

run >/dev/null 2>&1
[ $? -eq 2 ] || fail "usage error did not exit 2"

if [ $failures -ne 0 ]; then
    exit 1
fi
echo "tbkutil: all checks passed"
