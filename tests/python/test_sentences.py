"""Receiver sentences cut and parsed from bytes fed in any pieces."""
import io
import math

import pytest

import vantrel as v

GGA = b"$GPGGA,092750.000,5321.6802,N,00630.3372,W,1,8,1.03,61.7,M,55.2,M,,*76\r\n"
HDT = b"$HEHDT,274.07,T*19\r\n"
VTG = b"$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K*48\r\n"
BAD = b"$HEHDT,274.07,T*18\r\n"
def _xor(data):
    x = 0
    for c in data:
        x ^= c
    return x


GSV = b"$GPGSV,3,1,11*%02X\r\n" % _xor(b"GPGSV,3,1,11")
WHOLE = b"noise" + GGA + BAD + HDT + b"\x00\xff" + VTG + GSV
LOG = WHOLE + b"$GPGG"


def test_records_of_a_log():
    s = v.SentenceStream()
    recs = s.feed(LOG)
    assert [type(r).__name__ for r in recs] == ["GGA", "HDT", "VTG", "Sentence"]
    g = recs[0]
    pi = 3.14159265358979
    assert g.lat * 180 / pi == pytest.approx(53 + 21.6802 / 60, abs=1e-12)
    assert g.lon * 180 / pi == pytest.approx(6 + 30.3372 / 60, abs=1e-12)
    assert (g.ns, g.ew, g.quality, g.satellites, g.hdop, g.height, g.altitude) == ("N", "W", 1, 8, 1.03, 55.2, 61.7)
    assert g.time == 92750.0 and g.fields[0] == "$GPGGA" and g.sentence == GGA[:-2].decode()
    assert recs[1].heading == 274.07
    assert (recs[2].course, recs[2].speed_kmh) == (54.7, 10.2)
    assert recs[3].name == "GPGSV" and recs[3].fields[-1] == GSV[-7:-2].decode()
    assert (s.sentences, s.rejected, s.pending) == (4, 1, 5)
    s.finish()
    assert s.dropped == 5 and s.pending == 0


@pytest.mark.parametrize("size", [1, 2, 7, 64, 4096])
def test_pieces_of_any_size_give_the_same_records(size):
    s = v.SentenceStream()
    got = [r for i in range(0, len(LOG), size) for r in s.feed(LOG[i:i + size])]
    assert got == v.SentenceStream().feed(LOG)
    assert list(v.read_sentences(io.BytesIO(LOG), chunk_size=size)) == got
    assert v.SentenceStream().feed(memoryview(bytearray(LOG))) == got


def test_without_the_checksum_test_and_from_a_file(tmp_path):
    recs = v.SentenceStream(checksum=False).feed(BAD + b"$GPXYZ,1,2\r\n")
    assert [r.name for r in recs] == ["HEHDT", "GPXYZ"] and recs[0].heading == 274.07
    path = tmp_path / "log.nmea"
    path.write_bytes(WHOLE * 3)
    assert len(list(v.read_sentences(path))) == 12


def test_a_huge_feed_and_an_endless_line_keep_the_buffer_bounded():
    s = v.SentenceStream()
    assert len(s.feed(GGA * 5000)) == 5000
    s.feed(b"$" + b"x" * 100000)
    assert s.pending < 32767 and s.dropped > 0
    assert len(s.feed(b"\r\n" + GGA)) == 1


def test_text_is_not_bytes():
    with pytest.raises(TypeError):
        v.SentenceStream().feed(GGA.decode())


def test_odd_sentences_stay_plain():
    many = b"$GPGGA" + b",1" * 25
    line = many + b"*%02X\r\n" % (0 ^ _xor(many[1:]))
    odd = v.SentenceStream().feed(line + b"$GPHDT,274.07,T*03\r\n")
    assert [type(r).__name__ for r in odd] == ["Sentence", "Sentence"]


def test_a_gga_parse_failure_keeps_the_sentence():
    body = b"GPGGA,1,5321.0,N,00630.0,W,1e20,8,1,1,M,1,M,,"
    line = b"$" + body + b"*%02X\r\n" % _xor(body)
    r = v.SentenceStream().feed(line)[0]
    assert type(r).__name__ == "Sentence" and math.isclose(float(r.fields[6]), 1e20)
