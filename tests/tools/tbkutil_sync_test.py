#!/usr/bin/env python3
"""tbkutil sync as a user or a scheduled task runs it, against the real CardDAV servers.

    tbkutil_sync_test.py ENV_FILE --host-prefix=PREFIX TBKUTIL_COMMAND...

ENV_FILE is the one dav_servers.py writes; PREFIX is put before every path handed to tbkutil
(Z: under Wine, where the program sees the host's files through that drive). A second client
edits the server directly, as another device of the same user would.
"""
import base64
import os
import re
import shutil
import ssl
import subprocess
import sys
import tempfile
import time
import urllib.error
import urllib.parse
import urllib.request
import uuid
import xml.etree.ElementTree as ET

FIELDS = ("lastname", "firstname", "nickname", "company", "jobtitle", "homephone", "mobile", "homeemail",
          "homewww", "homeaddress", "officephone", "officefax", "officeemail", "officewww", "officeaddress",
          "note")
SUMMARY = re.compile(r"sent (\d+), received (\d+), merged (\d+), deleted here (\d+), "
                     r"deleted on the server (\d+), conflicts (\d+)")
SUMMARY_KEYS = ("sent", "received", "merged", "deleted_here", "deleted_on_server", "conflicts")
DAV = "{DAV:}"
CARDDAV = "{urn:ietf:params:xml:ns:carddav}"
PHOTO = base64.b64encode(bytes(range(256)) * 3).decode()  # long enough to be folded on the server

# The second client only edits and reads; whether tbkutil checks the certificate is under test.
UNCHECKED_TLS = ssl.create_default_context()
UNCHECKED_TLS.check_hostname = False
UNCHECKED_TLS.verify_mode = ssl.CERT_NONE

failures = []
env = {}
tbkutil = []
host_prefix = ""
work = ""


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL: " + message, file=sys.stderr)
    return condition


# --- the second client -------------------------------------------------------------------------

def send(method, url, body=None, headers=None):
    """(status, headers, body) of one request as anna."""
    request = urllib.request.Request(url, data=body.encode() if isinstance(body, str) else body, method=method,
                                     headers=dict(headers or {}))
    token = base64.b64encode(("%s:%s" % (env["DAV_USER"], env["DAV_PASSWORD"])).encode()).decode()
    request.add_header("Authorization", "Basic " + token)
    try:
        with urllib.request.urlopen(request, timeout=30, context=UNCHECKED_TLS) as response:
            return response.status, response.headers, response.read()
    except urllib.error.HTTPError as e:
        return e.code, e.headers, e.read()


def new_book_url(server):
    """A new, empty address book beside the server's first one, for one case alone."""
    first = env[server + "_BOOK"]
    url = first[:first.rstrip("/").rfind("/") + 1] + "tbkutil-%s/" % uuid.uuid4().hex[:12]
    status, _, body = send("MKCOL", url, '<?xml version="1.0" encoding="utf-8"?><D:mkcol xmlns:D="DAV:" '
                           'xmlns:C="urn:ietf:params:xml:ns:carddav"><D:set><D:prop><D:resourcetype>'
                           '<D:collection/><C:addressbook/></D:resourcetype></D:prop></D:set></D:mkcol>',
                           {"Content-Type": "application/xml; charset=utf-8"})
    if status != 201:
        raise RuntimeError("MKCOL %s: %d %s" % (url, status, body[:200]))
    return url


def put_card(book_url, name, card, etag=None):
    headers = {"Content-Type": "text/vcard; charset=utf-8"}
    headers.update({"If-Match": etag} if etag else {"If-None-Match": "*"})
    status, _, body = send("PUT", book_url + name, card.replace("\n", "\r\n"), headers)
    if status not in (201, 204):
        raise RuntimeError("PUT %s%s: %d %s" % (book_url, name, status, body[:200]))


def card_count(book_url):
    status, _, body = send("PROPFIND", book_url, '<D:propfind xmlns:D="DAV:"><D:prop><D:getetag/></D:prop>'
                           '</D:propfind>', {"Depth": "1", "Content-Type": "application/xml"})
    return sum(1 for r in ET.fromstring(body).iter(DAV + "response")
               if r.find(".//" + DAV + "getetag") is not None and not r.findtext(DAV + "href").endswith("/"))


def server_cards(book_url):
    """{href: (etag, {PROPERTY: [(params, value)]})} of every card, read in one REPORT."""
    status, _, body = send("REPORT", book_url, '<C:addressbook-query xmlns:D="DAV:" '
                           'xmlns:C="urn:ietf:params:xml:ns:carddav"><D:prop><D:getetag/><C:address-data/>'
                           '</D:prop></C:addressbook-query>',
                           {"Depth": "1", "Content-Type": "application/xml; charset=utf-8"})
    if status != 207:
        raise RuntimeError("REPORT %s: %d" % (book_url, status))
    cards = {}
    for response in ET.fromstring(body).iter(DAV + "response"):
        data = response.findtext(".//" + CARDDAV + "address-data")
        if data:
            etag = response.findtext(".//" + DAV + "getetag")
            cards[response.findtext(DAV + "href")] = (etag, parse_card(data))
    return cards


def parse_card(text):
    properties = {}
    for line in re.sub(r"\r?\n[ \t]", "", text).splitlines():
        head, _, value = line.partition(":")
        name, _, params = head.partition(";")
        properties.setdefault(name.split(".")[-1].upper(), []).append((params.upper(), value))
    return properties


def names_on_server(book_url):
    return sorted(props["FN"][0][1] for _, props in server_cards(book_url).values())


def card_named(book_url, full_name):
    found = [(href, etag, props) for href, (etag, props) in server_cards(book_url).items()
             if props["FN"][0][1] == full_name]
    check(len(found) == 1, "%d cards named %s on the server" % (len(found), full_name))
    return found[0] if found else (None, None, {})


# --- the book and tbkutil ----------------------------------------------------------------------

def contact(last, first="", **fields):
    return dict(dict.fromkeys(FIELDS, ""), lastname=last, firstname=first, **fields)


def write_book(path, contacts):
    with open(path, "w", encoding="utf-8", newline="") as f:
        f.write('<?xml version="1.0" encoding="utf-8"?>\r\n')
        f.write('\t<addressbook name="Tovano Address Book" value="%d">\r\n' % len(contacts))
        for i, c in enumerate(contacts):
            f.write('\t\t<entry id="%d">\r\n' % i)
            f.writelines('\t\t\t<%s value="%s"/>\r\n' % (tag, c[tag]) for tag in FIELDS)
            f.write("\t\t</entry>\r\n")
        f.write("\t</addressbook>\r\n")


def read_book(path):
    """The contacts as the program reads them: tbkutil check must load the whole file first."""
    code, out, err = run("check", arg(path))
    check(code == 0, "check %s: exit %d, %s" % (path, code, err))
    with open(path, encoding="utf-8") as f:
        entries = re.findall(r"<entry[^>]*>(.*?)</entry>", f.read(), re.S)
    contacts = [dict(re.findall(r'<(\w+) value="([^"]*)"/>', entry)) for entry in entries]
    check(out.strip() == str(len(contacts)),
          "check %s counted %s, the file holds %d" % (path, out, len(contacts)))
    return contacts


def by_name(contacts):
    return {(c["lastname"], c["firstname"]): c for c in contacts}


def arg(path):
    return host_prefix + path


def run(*args):
    done = subprocess.run(tbkutil + list(args), stdin=subprocess.DEVNULL, capture_output=True, timeout=600)
    return done.returncode, done.stdout.decode("utf-8", "replace"), done.stderr.decode("utf-8", "replace")


def password_file(password):
    path = os.path.join(work, "password-%s" % uuid.uuid4().hex[:8])
    with open(path, "w", encoding="utf-8") as f:
        f.write(password + "\r\n")
    return path


def sync(url, book, expected_code=0, password=None, *extra):
    """The summary of one tbkutil sync, checked for its exit code and its one line."""
    code, out, err = run("sync", url, "--user", env["DAV_USER"], "--password-file",
                         arg(password_file(password or env["DAV_PASSWORD"])), "--into", arg(book), *extra)
    check(code == expected_code,
          "sync %s into %s: exit %d, expected %d; %s%s" % (url, book, code, expected_code, out, err))
    match = SUMMARY.search(out)
    if expected_code == 2:
        check(not match, "a failed sync printed a summary: " + out)
        return err
    check(match and "synchronised " + arg(book) in out, "no summary line: " + out + err)
    return dict(zip(SUMMARY_KEYS, map(int, match.groups()))) if match else {}


def expect_summary(summary, what, **expected):
    got = {k: summary.get(k) for k in expected}
    check(got == expected, "%s: summary %s, expected %s" % (what, got, expected))


# --- the cases ---------------------------------------------------------------------------------

def first_sync_both_ways():
    book, url = os.path.join(work, "first.xml"), new_book_url("RADICALE")
    write_book(book, [contact("Żółć", "Łukasz", mobile="+48 600 100 200"), contact("Adams", "Bob")])
    put_card(url, "chan.vcf", "BEGIN:VCARD\nVERSION:3.0\nUID:chan-tai-man\nN:陳;大文;;;\nFN:陳大文\n"
             "PHOTO;ENCODING=b;TYPE=JPEG:%s\nBDAY:1980-02-29\nCATEGORIES:Family,Friends\n"
             "X-TOVANO-TEST:kept as written\nNOTE:first note\nEND:VCARD\n" % PHOTO)
    _, _, before = card_named(url, "陳大文")
    expect_summary(sync(url, book), "first sync", sent=2, received=1, conflicts=0)
    contacts = by_name(read_book(book))
    check(sorted(contacts) == sorted([("Żółć", "Łukasz"), ("Adams", "Bob"), ("陳", "大文")]),
          "book after the first sync: %s" % sorted(contacts))
    check(contacts.get(("Żółć", "Łukasz"), {}).get("mobile") == "+48 600 100 200"
          and contacts.get(("陳", "大文"), {}).get("note") == "first note",
          "contacts after the first sync: %s" % contacts)
    check(names_on_server(url) == sorted(["Bob Adams", "Łukasz Żółć", "陳大文"]),
          "server after the first sync: %s" % names_on_server(url))
    _, _, lukasz = card_named(url, "Łukasz Żółć")
    check(lukasz.get("N") == [("", "Żółć;Łukasz;;;")]
          and [v for _, v in lukasz.get("TEL", [])] == ["+48 600 100 200"],
          "the card sent for Łukasz Żółć: %s" % lukasz)

    # A local edit of the note reaches the server without touching what the book has no field for.
    for c in contacts.values():
        c["note"] = "second note" if c["lastname"] == "陳" else c["note"]
    write_book(book, list(contacts.values()))
    expect_summary(sync(url, book), "sync of a changed note", sent=1, received=0, conflicts=0)
    _, _, after = card_named(url, "陳大文")
    check(after.get("NOTE") == [("", "second note")], "note on the server: %s" % after.get("NOTE"))
    for name in ("PHOTO", "BDAY", "CATEGORIES", "X-TOVANO-TEST", "N"):
        check(after.get(name) == before.get(name) is not None,
              "%s after a local edit: %s, was %s" % (name, after.get(name), before.get(name)))
    expect_summary(sync(url, book), "sync with nothing to do", sent=0, received=0, merged=0)


def download_and_upload():
    for server in ("RADICALE", "XANDIKOS"):
        url = new_book_url(server)
        names = ["Card%d Server" % i for i in range(3)]
        for i, name in enumerate(names):
            put_card(url, "c%d.vcf" % i, "BEGIN:VCARD\nVERSION:3.0\nUID:dl-%d\nN:Server;Card%d;;;\nFN:%s\n"
                     "EMAIL;TYPE=INTERNET,HOME:card%d@example.invalid\nEND:VCARD\n" % (i, i, name, i))
        book = os.path.join(work, "download-%s.xml" % server)
        write_book(book, [])
        expect_summary(sync(url, book), server + " download", sent=0, received=3, merged=0, conflicts=0)
        contacts = by_name(read_book(book))
        check({key: c["homeemail"] for key, c in contacts.items()}
              == {("Server", "Card%d" % i): "card%d@example.invalid" % i for i in range(3)},
              "%s download: %s" % (server, contacts))
        check(names_on_server(url) == names, server + " download changed the server: %s" % names_on_server(url))

        url = new_book_url(server)
        book = os.path.join(work, "upload-%s.xml" % server)
        write_book(book, [contact("Local%d" % i, "Upload", homephone="+1 555 01%02d" % i) for i in range(5)])
        expect_summary(sync(url, book), server + " upload", sent=5, received=0, merged=0, conflicts=0)
        check(names_on_server(url) == ["Upload Local%d" % i for i in range(5)],
              server + " upload: %s" % names_on_server(url))
        check(len(read_book(book)) == 5, server + " upload changed the book")


def deletions_confirmed():
    """Most of the synchronised contacts deleted at once, here or on the server, are deleted on the
    other side only when the user confirms it."""
    for here in (True, False):
        url, book = new_book_url("RADICALE"), os.path.join(work, "deletions-%s.xml" % here)
        contacts = [contact("Many%02d" % i, "Gone") for i in range(12)]
        write_book(book, contacts)
        expect_summary(sync(url, book), "upload of twelve", sent=12)
        if here:
            write_book(book, contacts[:1])
        else:
            for href in sorted(server_cards(url))[1:]:
                send("DELETE", urllib.parse.urljoin(url, href))
        err = sync(url, book, 2)
        where = "on " if here else "here, as they are missing on"
        check("would delete 11 of the 12 synchronised contacts " + where in err and "--confirm-deletions 11" in err,
              "eleven deletions unconfirmed: " + err)
        check(card_count(url) == (12 if here else 1) and len(read_book(book)) == (1 if here else 12),
              "unconfirmed deletions were carried out: %d cards, %d contacts" % (card_count(url), len(read_book(book))))
        expect_summary(sync(url, book, 0, None, "--confirm-deletions", "11"), "eleven deletions confirmed",
                       deleted_on_server=11 if here else 0, deleted_here=0 if here else 11, received=0)
        check(len(names_on_server(url)) == 1 and len(read_book(book)) == 1,
              "after confirmed deletions: %s" % names_on_server(url))


def conflicts():
    url, book = new_book_url("RADICALE"), os.path.join(work, "conflict.xml")
    write_book(book, [contact("Nowak", "Anna", mobile="+48 111", homeemail="anna@home.invalid",
                              company="Old Co")])
    expect_summary(sync(url, book), "first sync", sent=1)

    def edit_both(server_edit, local_edit):
        href, etag, _ = card_named(url, "Anna Nowak")
        name = href.rsplit("/", 1)[1]
        _, _, text = send("GET", url + name)
        put_card(url, name, server_edit(text.decode()).replace("\r\n", "\n"), etag)
        contacts = read_book(book)
        contacts[0].update(local_edit)
        write_book(book, contacts)

    # The same field on both sides: the local value wins, the server's stays as a further number.
    edit_both(lambda card: re.sub(r"(?m)^(TEL[^:]*CELL[^:]*):.*$", r"\1:+48 222", card), {"mobile": "+48 333"})
    expect_summary(sync(url, book, 1), "conflicting sync", conflicts=1, merged=1)
    [local] = read_book(book)
    with open(book, encoding="utf-8") as f:
        kept = '<phone type="mobile" value="+48 222"/>' in f.read()
    check(local["mobile"] == "+48 333" and kept and local["note"] == "", "book after a conflict: %s" % local)
    _, _, card = card_named(url, "Anna Nowak")
    check(sorted(v for p, v in card.get("TEL", []) if "CELL" in p) == ["+48 222", "+48 333"],
          "server mobile: %s" % card.get("TEL"))
    check(card.get("NOTE") is None, "server note after a conflict: %s" % card.get("NOTE"))

    # Different fields on each side: both changes on both sides, no conflict.
    edit_both(lambda card: card.replace("anna@home.invalid", "anna@new.invalid"), {"company": "New Co"})
    expect_summary(sync(url, book), "merging sync", conflicts=0, merged=1)
    [local] = read_book(book)
    check((local["homeemail"], local["company"]) == ("anna@new.invalid", "New Co"),
          "book after a merge: %s" % local)
    _, _, card = card_named(url, "Anna Nowak")
    check([v for _, v in card.get("EMAIL", [])] == ["anna@new.invalid"] and card.get("ORG") == [("", "New Co")],
          "server after a merge: %s %s" % (card.get("EMAIL"), card.get("ORG")))
    expect_summary(sync(url, book), "sync after the merge", sent=0, received=0, merged=0, conflicts=0)


def server_stopped_mid_sync():
    count, url, book = 1000, new_book_url("RADICALE"), os.path.join(work, "thousand.xml")
    write_book(book, [contact("Person%04d" % i, "Many", mobile="+1 555 %04d" % i) for i in range(count)])
    with open(book, "rb") as f:
        written = f.read()
    process = subprocess.Popen(tbkutil + ["sync", url, "--user", env["DAV_USER"], "--password-file",
                                          arg(password_file(env["DAV_PASSWORD"])), "--into", arg(book)],
                               stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    try:
        deadline = time.monotonic() + 300
        while process.poll() is None and card_count(url) < 50 and time.monotonic() < deadline:
            time.sleep(0.2)
        subprocess.run([env["DAV_SERVERS_PYTHON"], env["DAV_SERVERS_SCRIPT"], "stop-one", env["DAV_STATE_DIR"],
                        "radicale"], check=True)
        out, err = (s.decode("utf-8", "replace") for s in process.communicate(timeout=300))
    finally:
        if process.poll() is None:
            process.kill()
        subprocess.run([env["DAV_SERVERS_PYTHON"], env["DAV_SERVERS_SCRIPT"], "restart", env["DAV_STATE_DIR"],
                        "radicale"], check=True)
    origin = re.match(r"https?://[^/]+", url).group(0)
    check(process.returncode == 2 and origin in err, "sync while the server stopped: exit %d, %s%s"
          % (process.returncode, out, err))
    with open(book, "rb") as f:
        check(f.read() == written, "a stopped sync wrote the book")
    sent_before = card_count(url)
    # What the stopped sync settled with the server: the cards it sent, and the last one it tried,
    # which got no answer and may or may not be there.
    with open(book + ".sync", "rb") as f:
        settled = f.read().count(b"\nhref ")
    check(sent_before - 1 <= settled <= sent_before + 1,
          "the stopped sync kept %d of the %d cards it sent" % (settled, sent_before))
    check(0 < sent_before < count,
          "the server stopped after %d of %d cards, not in the middle" % (sent_before, count))

    # The cards already there are the contacts' own, known from the settled state: neither sent
    # again nor received.
    expect_summary(sync(url, book), "sync after the restart", sent=count - sent_before, received=0, merged=0,
                   deleted_here=0, deleted_on_server=0, conflicts=0)
    names = names_on_server(url)
    check(names == sorted("Many Person%04d" % i for i in range(count)),
          "%d cards, %d distinct names on the server after the restart" % (len(names), len(set(names))))
    contacts = read_book(book)
    check(sorted(by_name(contacts)) == [("Person%04d" % i, "Many") for i in range(count)] == sorted(
        (c["lastname"], c["firstname"]) for c in contacts), "%d contacts in the book" % len(contacts))
    expect_summary(sync(url, book), "third sync", sent=0, received=0, merged=0)


def refusals():
    book = os.path.join(work, "refused.xml")
    write_book(book, [contact("Kept", "As", note="written")])
    with open(book, "rb") as f:
        written = f.read()
    origin, sha = env["RADICALE_URL"].rstrip("/"), env["RADICALE_TLS_SHA256"]
    second_book = new_book_url("RADICALE")
    cases = (  # what, address, password, what the message must hold
        ("wrong password", env["RADICALE_BOOK"], "secret-ann",
         [origin, "did not accept the user name and password"]),
        ("several address books", env["RADICALE_URL"], None,
         ["several address books", env["RADICALE_BOOK"], second_book]),
        ("self-signed certificate", env["RADICALE_TLS_URL"], None,
         [env["RADICALE_TLS_URL"].rstrip("/"), "fingerprint is " + ":".join(re.findall("..", sha)),
          "add --trust-certificate " + sha]),
    )
    for what, url, password, expected in cases:
        err = sync(url, book, 2, password)
        check(all(text in err for text in expected), "%s: the message %r lacks %s" % (what, err, expected))
        with open(book, "rb") as f:
            check(f.read() == written and not os.path.exists(book + ".sync"), what + ": the book was written")


def trusted_certificate():
    sha, run_id = env["RADICALE_TLS_SHA256"], uuid.uuid4().hex[:8]
    for i, spelling in enumerate((sha, ":".join(re.findall("..", sha.upper())))):
        book = os.path.join(work, "tls-%d.xml" % i)
        # This server's one book is shared with earlier runs: names of this run alone.
        write_book(book, [contact("Secure%d-%s" % (i, run_id), "Tls")])
        # The server's root: the only address book there is found through discovery. The second
        # time as typed without https://, with the password saved as Notepad saves UTF-8.
        url = env["RADICALE_TLS_URL"] if i == 0 else env["RADICALE_TLS_URL"][len("https://"):]
        password = None if i == 0 else "\ufeff" + env["DAV_PASSWORD"]
        expect_summary(sync(url, book, 0, password, "--trust-certificate", spelling),
                       "trusted " + spelling, sent=1, conflicts=0)
        check("Tls Secure%d-%s" % (i, run_id) in names_on_server(env["RADICALE_TLS_BOOK"]),
              "not on the TLS server: " + spelling)


def window_trusted_certificate():
    """A certificate the user trusted in the program's window for the same address is trusted by
    tbkutil too, and only that certificate. The program's account lives in the registry, which
    only the Windows build has."""
    if not host_prefix:
        return
    key = r"HKCU\Software\TovanoSoft\Tovano Address Book\1.0\Sync"

    def reg(*args):
        done = subprocess.run(tbkutil[:-1] + ["reg"] + list(args), stdin=subprocess.DEVNULL,
                              capture_output=True, timeout=120)
        check(done.returncode == 0, "reg %s: %s" % (args, done.stderr))

    book, run_id = os.path.join(work, "window-trusted.xml"), uuid.uuid4().hex[:8]
    write_book(book, [contact("Window-" + run_id, "Tls")])
    reg("add", key, "/v", "Address", "/d", env["RADICALE_TLS_URL"], "/f")
    try:
        for what, sha, code in (("another certificate", "00" * 32, 2),
                                ("the server's certificate", env["RADICALE_TLS_SHA256"], 0)):
            reg("add", key, "/v", "TrustedCertificate", "/d", sha, "/f")
            summary = sync(env["RADICALE_TLS_URL"], book, code)
            if code == 0:
                expect_summary(summary, "trusted in the window", sent=1)
            else:
                check("add --trust-certificate" in summary, what + ": " + summary)
    finally:
        reg("delete", key, "/f")


CASES = (first_sync_both_ways, download_and_upload, deletions_confirmed, conflicts, refusals, trusted_certificate,
         window_trusted_certificate, server_stopped_mid_sync)


def main(argv):
    global tbkutil, host_prefix, work
    if len(argv) < 4 or not argv[2].startswith("--host-prefix="):
        sys.stderr.write(__doc__)
        return 2
    with open(argv[1], encoding="utf-8") as f:
        env.update(line.rstrip("\n").split("=", 1) for line in f if "=" in line)
    host_prefix, tbkutil = argv[2].split("=", 1)[1], argv[3:]
    work = tempfile.mkdtemp(prefix="tbkutil-sync-")
    try:
        for case in CASES:
            started = time.monotonic()
            try:
                case()
            except Exception as e:  # one broken case must not hide the others
                check(False, "%s: %s: %s" % (case.__name__, type(e).__name__, e))
            print("%s: %.1f s" % (case.__name__, time.monotonic() - started))
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print("%d failures" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
