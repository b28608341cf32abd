"""Checks the Markdown pages: README.md and every page under docs/.

Every relative link and image must name a file that exists in the repository, and a link with
an #anchor must name a heading of the Markdown page it points to (GitHub's heading ids) or an
id of the HTML page. README.md stays short (under README_MAX_LINES lines) and links every page
under docs/. Run as a script with the repository's folder as argument; exits 1 on a problem.
"""
import re
import sys
import unicodedata
from pathlib import Path
from urllib.parse import unquote

README_MAX_LINES = 200

_FENCE = re.compile(r"^ {0,3}(`{3,}|~{3,})")
_CODE_SPAN = re.compile(r"(`+)(?:(?!\1).)+?\1")
_INLINE = re.compile(r"!?\[[^\]]*\]\(\s*(<[^>]*>|[^)\s]*)(?:\s+\"[^\"]*\")?\s*\)")
_REFERENCE = re.compile(r"^ {0,3}\[[^\]]+\]:\s*(<[^>]*>|\S+)")
_HTML_ATTR = re.compile(r"<(?:a|img)\b[^>]*?\b(?:href|src)\s*=\s*\"([^\"]*)\"", re.IGNORECASE)
_HEADING = re.compile(r"^ {0,3}(#{1,6})[ \t]+(.*?)(?:[ \t]+#+)?[ \t]*$")
_SCHEME = re.compile(r"^(?:[a-zA-Z][a-zA-Z0-9+.-]*:|//)")


def prose_lines(text):
    """(line number, line) of the lines outside fenced and indented code blocks, code spans removed."""
    fence = None
    previous_blank = True
    in_indented = False
    for number, line in enumerate(text.splitlines(), start=1):
        if fence:
            if line.strip().startswith(fence):
                fence = None
            previous_blank = False
            continue
        opening = _FENCE.match(line)
        if opening:
            fence = opening.group(1)[0] * len(opening.group(1))
            continue
        blank = not line.strip()
        indented = line.startswith("    ") or line.startswith("\t")
        in_indented = indented and not blank and (previous_blank or in_indented)
        previous_blank = blank
        if in_indented or blank:
            continue
        yield number, _CODE_SPAN.sub("", line)


def github_slug(heading):
    """The id GitHub gives a heading: lower case, punctuation and symbols dropped, blanks to hyphens."""
    text = re.sub(r"!?\[([^\]]*)\]\([^)]*\)", r"\1", heading).strip().lower()
    kept = []
    for ch in text:
        category = unicodedata.category(ch)
        if ch in "-_ " or category[0] in "LMN" or category == "Pc":
            kept.append(ch)
    return "".join(kept).replace(" ", "-")


def markdown_anchors(text):
    anchors = set()
    seen = {}
    for _, line in prose_lines(text):
        match = _HEADING.match(line)
        if not match:
            continue
        slug = github_slug(match.group(2))
        count = seen.get(slug, 0)
        seen[slug] = count + 1
        anchors.add(slug if count == 0 else f"{slug}-{count}")
    return anchors


def html_anchors(text):
    return set(re.findall(r"\b(?:id|name)\s*=\s*\"([^\"]*)\"", text))


def link_targets(text):
    """(line number, target) of every link and image in the page's prose."""
    for number, line in prose_lines(text):
        for pattern in (_INLINE, _REFERENCE, _HTML_ATTR):
            for match in pattern.finditer(line):
                target = match.group(1)
                if target.startswith("<") and target.endswith(">"):
                    target = target[1:-1]
                yield number, target


def check_page(page, root):
    problems = []
    text = page.read_text(encoding="utf-8")
    where = page.relative_to(root)
    for number, target in link_targets(text):
        if not target or _SCHEME.match(target):
            if not target:
                problems.append(f"{where}:{number}: empty link")
            continue
        path_part, _, anchor = target.partition("#")
        destination = (page.parent / unquote(path_part)).resolve() if path_part else page.resolve()
        if root.resolve() not in destination.parents and destination != root.resolve():
            problems.append(f"{where}:{number}: {target} leaves the repository")
            continue
        if not destination.exists():
            problems.append(f"{where}:{number}: {target}: no such file")
            continue
        if not anchor:
            continue
        if destination.suffix == ".md":
            anchors = markdown_anchors(destination.read_text(encoding="utf-8"))
        elif destination.suffix in (".html", ".htm"):
            anchors = html_anchors(destination.read_text(encoding="utf-8"))
        else:
            problems.append(f"{where}:{number}: {target}: an anchor into a file that has none")
            continue
        if unquote(anchor) not in anchors:
            problems.append(f"{where}:{number}: {target}: no heading with that id")
    return problems


def pages(root):
    return [root / "README.md"] + sorted((root / "docs").rglob("*.md"))


def check(root):
    """Every problem found in the repository at root, as 'file:line: what' texts."""
    root = Path(root)
    readme = root / "README.md"
    problems = []
    for page in pages(root):
        problems += check_page(page, root)
    readme_text = readme.read_text(encoding="utf-8")
    lines = len(readme_text.splitlines())
    if lines >= README_MAX_LINES:
        problems.append(f"README.md: {lines} lines, not under {README_MAX_LINES}")
    linked = set()
    for _, target in link_targets(readme_text):
        path_part = target.partition("#")[0]
        if path_part and not _SCHEME.match(target):
            linked.add((root / unquote(path_part)).resolve())
    for page in pages(root)[1:]:
        if page.resolve() not in linked:
            problems.append(f"README.md: no line for {page.relative_to(root)}")
    return problems


if __name__ == "__main__":
    found = check(Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parents[2])
    for problem in found:
        print(problem)
    sys.exit(1 if found else 0)
