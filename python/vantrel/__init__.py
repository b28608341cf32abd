"""Vantrel's surveying routines for scripts and notebooks.

The user manual, with every dialog these routines come from, is installed as HTML under
the install prefix: <prefix>/share/vantrel/manual/index.html (a Debian package:
/usr/share/vantrel/manual/index.html).

The numbers are those of the Vantrel calculator's dialogs: every function calls the routine
a dialog calls, on scalars or numpy arrays (inputs broadcast against each other; the GIL is
released over array work).

Conventions
-----------
* Angles are radians everywhere. Packed D.MMSS values (121.3030 is 121°30'30") go through
  ``dms_to_rad`` and ``rad_to_dms`` / ``rad_to_dms_text`` with the calculator's rules; the
  calculator's pi is 3.14159265358979.
* Accuracies the network adjustments take (σ of directions, angles, distances, known points,
  levelling lines) are arc seconds, millimetres and ppm, as instruments and the observation
  file state them; the figures they return are metres and radians (a plane network's sigma0
  in arc seconds).
* Lengths, coordinates and heights are metres. Plane coordinates: x is the first coordinate
  and points north, y the second and points east; azimuths are clockwise from north.
* Ellipsoids are ``Ellipsoid`` objects or their codes 54, 80, 84, 2000 (int or str).
* A scalar call returns floats, an array call float64 arrays of the broadcast shape; several
  results come as named tuples. Arguments broadcast by numpy's rule: arrays of one shape, or
  of shapes numpy can broadcast (a scalar against an array, (n, 1) against (m,) ...).
* Array conversions release the GIL and, from 32768 points on, are split over
  ``get_threads()`` threads (``set_threads`` to change); the values do not depend on it.
* A point a conversion refuses raises ``InputError`` with the calculator's message and
  " (index k)" of the first such point (``.index``: an int, or a tuple for n-D arrays).
  With ``errors="nan"`` every array conversion gives NaN for the points it refuses and
  returns ``(results, status)`` instead: status 0 where a point was computed, else the
  batch layer's code of the reason (``status_message(code)``, ``status_codes()``).
* Errors are exceptions carrying the calculator's message text (Chinese): ``InputError``
  (a ``ValueError``) for data a routine refuses, ``FileError`` (an ``OSError``) for a file
  that cannot be read or written; both derive from ``vantrel.Error``.

Areas
-----
angles and texts   dms_to_rad, rad_to_dms, rad_to_dms_text, format_pattern, general_text
geodetic           Ellipsoid, radii, meridian_arc, parallel_arc, three_difference,
                   height_anomaly_54, compensation_plane_height
seven parameters   SevenParameters, estimate_seven_parameters(_geodetic), read_common_point_file
plane              azimuth, distance, plane_forward, plane_inverse, split_azimuth, join_azimuth,
                   forward_intersection, resection, traverse_leg, create_traverse_file,
                   append_traverse_record
traverse           read_traverse_file, parse_traverse_text, adjust_traverse
height fitting     height_fit, height_fit_file (GNSS高程拟合: ζ = H − h over x, y; evaluate, report)
networks           adjust_network, adjust_levelling, adjust_network_file (least squares: points,
                   precisions and ellipses as arrays, residuals, sigma0, the global test and
                   vantrel-cli adjust's reports)
transformations    fit_common_points, fit_point_files, CommonPointFit, Rotation
point files        read_point_file (point files and CSV, as vantrel-cli reads them), write_point_file
receiver           SentenceStream, read_sentences
conversions        to_geodetic, to_space (also Ellipsoid methods), GaussKruger, change_zone,
                   UTM, Lambert, SevenParameters.transform / to_gauss, set_threads,
                   status_message, status_codes
coordinate systems CRS (by EPSG code), Transformer.from_crs(a, b, params=None, same_datum=False),
                   transform on arrays, transform_dataframe on pandas columns (degrees for
                   latitude and longitude, each system's axis order)
many processes     vantrel.dask: map_blocks, map_partitions, apply_frame (Dask arrays and
                   DataFrames, pandas frames for Spark); the conversion objects pickle
version            __version__ (the project's version)
"""
import os as _os

from ._vantrel import *  # noqa: F401,F403
from ._vantrel import Error, FileError, InputError, SentenceStream, __version__  # noqa: F401

def _manual():
    # <prefix>/lib/python3[.X]/dist-packages/vantrel/__init__.py -> <prefix>/share/vantrel/manual
    here = _os.path.dirname(_os.path.abspath(__file__))
    prefix = _os.path.dirname(_os.path.dirname(_os.path.dirname(_os.path.dirname(here))))
    path = _os.path.join(prefix, "share", "vantrel", "manual", "index.html")
    return path if _os.path.isfile(path) else None


if _manual() and __doc__:
    __doc__ += "\nManual of this installation: " + _manual() + "\n"

from ._crs_frame import transform_dataframe as _transform_dataframe  # noqa: E402

Transformer.transform_dataframe = _transform_dataframe  # noqa: F405

__all__ = [name for name in dir() if not name.startswith("_")]
__all__ += ["read_sentences"]


def read_sentences(source, checksum=True, chunk_size=4096):
    """Yields the records of every receiver sentence in ``source``.

    source: a path, bytes, or a binary file object (a recorded log, or a serial port the
    caller opened, read until it returns no more bytes). Records as ``SentenceStream.feed``
    gives them (GGA, VTG, HDT, GSN, POS, Sentence); ``checksum`` as there.
    """
    stream = SentenceStream(checksum=checksum)
    if isinstance(source, (bytes, bytearray, memoryview)):
        yield from stream.feed(bytes(source))
        stream.finish()
        return
    if isinstance(source, (str, _os.PathLike)):
        with open(source, "rb") as f:
            yield from _drain(stream, f, chunk_size)
        return
    yield from _drain(stream, source, chunk_size)


def _drain(stream, f, chunk_size):
    while True:
        data = f.read(chunk_size)
        if not data:
            break
        yield from stream.feed(data)
    stream.finish()
