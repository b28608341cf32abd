"""Exchange formats through Python: DXF opened by an independent reader (ezdxf), GeoJSON
checked against RFC 7946's rules, KML by the standard XML parser, and the files the command
line writes read and written again to the same bytes."""
import json
import math
import pathlib
import subprocess
import xml.etree.ElementTree as ET

import numpy as np
import pytest

import vantrel
from conftest import BUILD_DIR, SOURCE_DIR

NAMES = ["K1", "导线2", "GP3", "图根4"]


def sample(n=4, seed=5):
    rng = np.random.default_rng(seed)
    lon = np.round(73 + 62 * rng.random(n), 9)
    lat = np.round(18 + 35 * rng.random(n), 9)
    h = np.round(5000 * rng.random(n), 3)
    h[1] = np.nan
    return NAMES[:n], lon, lat, h


def test_dxf_opened_by_ezdxf(tmp_path):
    ezdxf = pytest.importorskip("ezdxf")
    names, _, _, h = sample()
    x = np.array([3380000.123, 3380100.5, 3380200.0, 3380300.25])
    y = np.array([500000.0, 500100.125, 500050.5, 499900.75])
    vantrel.write_points(tmp_path / "p.dxf", names, x, y, h)
    doc = ezdxf.readfile(tmp_path / "p.dxf")
    points = doc.modelspace().query("POINT")
    texts = doc.modelspace().query("TEXT")
    assert [t.dxf.text for t in texts] == names  # GBK with code page ANSI_936, decoded
    for p, xi, yi, hi in zip(points, x, y, h):
        # The drawing's X is east, Y north, Z the height (0 where there is none).
        assert tuple(p.dxf.location) == (yi, xi, 0.0 if math.isnan(hi) else hi)
        assert p.dxf.layer == "POINTS"
    assert {t.dxf.layer for t in texts} == {"NAMES"}
    back = vantrel.read_points(tmp_path / "p.dxf")
    assert back.names == names and np.array_equal(back.x, x) and np.array_equal(back.y, y)


def test_report_drawing_lines_join_its_points(tmp_path):
    ezdxf = pytest.importorskip("ezdxf")
    program = pathlib.Path(BUILD_DIR or "", "cli", "vantrel-cli")
    if not BUILD_DIR or not program.exists():
        pytest.skip("vantrel-cli is not built beside the module (run from CTest)")
    out = tmp_path / "t.dxf"
    subprocess.run([str(program), "traverse", str(SOURCE_DIR / "examples/traverse/closed.txt"), "--report", "dxf",
                    "-o", str(out)], check=True)
    msp = ezdxf.readfile(out).modelspace()
    marks = {tuple(p.dxf.location)[:2] for p in msp.query("POINT")}
    lines = msp.query("LINE")
    assert len(lines) >= len(marks) - 1 and {l.dxf.layer for l in lines} == {"LINES"}
    for line in lines:  # every observed line runs from one drawn point to another
        assert tuple(line.dxf.start)[:2] in marks and tuple(line.dxf.end)[:2] in marks
    assert len(msp.query("TEXT")) == len(marks)


def test_geojson_follows_rfc7946(tmp_path):
    names, lon, lat, h = sample()
    vantrel.write_points(tmp_path / "p.geojson", names, lon, lat, h, codes=["", "a", "", "b"],
                         remarks=["埋石", "", "", ""])
    raw = (tmp_path / "p.geojson").read_bytes()
    doc = json.loads(raw.decode("utf-8"))  # UTF-8 (RFC 7946 §11)
    assert doc["type"] == "FeatureCollection" and "crs" not in doc  # §4: no crs member
    for f, n, lo, la, hi in zip(doc["features"], names, lon, lat, h):
        assert f["type"] == "Feature" and f["geometry"]["type"] == "Point"
        c = f["geometry"]["coordinates"]
        assert all(isinstance(v, (int, float)) for v in c)
        assert -180 <= c[0] <= 180 and -90 <= c[1] <= 90
        assert c[:2] == [lo, la]  # §3.1.1: longitude first, then latitude
        assert len(c) == (2 if math.isnan(hi) else 3)
        assert f["properties"]["name"] == n
    back = vantrel.read_points(tmp_path / "p.geojson")
    assert back.codes == ["", "a", "", "b"] and back.remarks[0] == "埋石"


def test_kml_read_by_the_xml_parser(tmp_path):
    names, lon, lat, h = sample()
    vantrel.write_points(tmp_path / "p.kml", names, lon, lat, h)
    ns = {"k": "http://www.opengis.net/kml/2.2"}
    marks = ET.parse(tmp_path / "p.kml").getroot().findall(".//k:Placemark", ns)
    assert [m.find("k:name", ns).text for m in marks] == names
    first = [float(v) for v in marks[0].find("k:Point/k:coordinates", ns).text.split(",")]
    assert first == [lon[0], lat[0], h[0]]


def test_command_line_files_read_and_written_again_give_the_same_bytes(tmp_path):
    program = pathlib.Path(BUILD_DIR or "", "cli", "vantrel-cli")
    if not BUILD_DIR or not program.exists():
        pytest.skip("vantrel-cli is not built beside the module (run from CTest)")
    src = tmp_path / "p.txt"
    src.write_bytes("甲1 31.3030 117.1515 12.345\r\nB2 31.4000 116.2000\r\n".encode("gbk"))
    for fmt, command in (("dat", "blh2gauss"), ("dxf", "blh2gauss"), ("geojson", "gauss2blh"), ("kml", "gauss2blh")):
        out = tmp_path / f"p.{fmt}"
        args = [str(program), command, "--ellipsoid", "2000", "--cm", "117", "-q", "--to-format", fmt, "-o", str(out)]
        if command == "gauss2blh":
            args.append(str(tmp_path / "p.dat"))  # the .dat made on the first round
        else:
            args.append(str(src))
        subprocess.run(args, check=True)
        p = vantrel.read_points(out)
        again = tmp_path / f"again.{fmt}"
        vantrel.write_points(again, p.names, p.x, p.y, p.h, codes=p.codes, remarks=p.remarks)
        assert again.read_bytes() == out.read_bytes(), fmt


def test_faulty_files_raise_with_file_and_line(tmp_path):
    bad = tmp_path / "bad.dat"
    bad.write_text("A,,1,2,3\r\nB,,1,x,3\r\n")
    with pytest.raises(vantrel.InputError, match=r"bad\.dat:2: X\(北坐标\)应为数值!"):
        vantrel.read_points(bad)
    with pytest.raises(vantrel.InputError, match="format"):
        vantrel.read_points(tmp_path / "p.txt")
    with pytest.raises(vantrel.InputError, match="纬度超出"):
        vantrel.write_points(tmp_path / "p.kml", ["A"], [117.0], [95.0])
