"""The repository's Markdown pages link only to what exists, and the checker finds what does not."""
from pathlib import Path

import pytest

import check_docs

ROOT = Path(__file__).resolve().parents[2]


def test_repository_pages_link_to_what_exists():
    assert check_docs.check(ROOT) == []


@pytest.mark.parametrize("heading, slug", [
    ("What the other desktop's pieces became here", "what-the-other-desktops-pieces-became-here"),
    ("Python module `vantrel`", "python-module-vantrel"),
    ("Traverse adjustment: `vantrel-cli traverse`", "traverse-adjustment-vantrel-cli-traverse"),
    ("Pirrow and Nadrix (plain C libraries)", "pirrow-and-nadrix-plain-c-libraries"),
    ("大地坐标－高斯坐标 snake_case", "大地坐标高斯坐标-snake_case"),
    ("A – B", "a--b"),
])
def test_slug_follows_github(heading, slug):
    assert check_docs.github_slug(heading) == slug


def make_repository(tmp_path, readme, page):
    (tmp_path / "docs").mkdir()
    (tmp_path / "docs" / "page.md").write_text(page, encoding="utf-8")
    (tmp_path / "docs" / "picture.png").write_bytes(b"")
    (tmp_path / "README.md").write_text(readme, encoding="utf-8")
    return tmp_path


GOOD_PAGE = "# Page\n\n## Same\n\n## Same\n\n![p](picture.png) [back](../README.md#readme)\n"
GOOD_README = "# Readme\n\n[page](docs/page.md#same-1) [web](https://example.org/x) [here](#readme)\n"


def test_good_links_pass(tmp_path):
    assert check_docs.check(make_repository(tmp_path, GOOD_README, GOOD_PAGE)) == []


@pytest.mark.parametrize("readme, page, expected", [
    (GOOD_README, GOOD_PAGE.replace("picture.png", "missing.png"), "docs/page.md:7: missing.png: no such file"),
    (GOOD_README.replace("#same-1", "#same-2"), GOOD_PAGE, "README.md:3: docs/page.md#same-2: no heading with that id"),
    (GOOD_README + "[x](#nowhere)\n", GOOD_PAGE, "README.md:4: #nowhere: no heading with that id"),
    (GOOD_README.replace("docs/page.md#same-1", "docs/Page.md"), GOOD_PAGE, "README.md:3: docs/Page.md: no such file"),
    (GOOD_README, GOOD_PAGE + "[up](../../outside.md)\n", "docs/page.md:8: ../../outside.md leaves the repository"),
    ("# Readme\n", GOOD_PAGE.replace("../README.md#readme", "../README.md"), "README.md: no line for docs/page.md"),
    (GOOD_README + "x\n" * 197, GOOD_PAGE, "README.md: 200 lines, not under 200"),
], ids=["missing image", "missing heading", "missing heading here", "wrong case",
        "outside", "page not listed", "long readme"])
def test_faults_are_reported(tmp_path, readme, page, expected):
    assert expected in check_docs.check(make_repository(tmp_path, readme, page))


def test_links_in_code_are_not_links(tmp_path):
    code = "```python\n>>> a[0](b)\n```\n\n    [x](missing.md)\n\n`[y](missing.md)`\n"
    assert check_docs.check(make_repository(tmp_path, GOOD_README + "\n" + code, GOOD_PAGE)) == []
