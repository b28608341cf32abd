# Type stubs of the vantrel module. Angles in radians, lengths in metres unless a name says
# otherwise; array arguments broadcast, scalars give floats.
import os
from typing import Any, BinaryIO, Iterator, Literal, NamedTuple, Sequence, Union, overload

import numpy as np
import numpy.typing as npt

ArrayLike = npt.ArrayLike
FloatOrArray = Union[float, npt.NDArray[np.float64]]
EllipsoidLike = Union["Ellipsoid", int, str]
LonRange = Literal[180, 360]
PathLike = Union[str, os.PathLike[str]]
# errors= of the array conversions: "raise" (the default) or "nan", which returns
# (results, status): status 0 where a point was computed, else the code of its refusal.
Raise = Literal["raise"]
Nan = Literal["nan"]
StatusOrArray = Union[int, npt.NDArray[np.uint8]]

__version__: str

class Error(Exception): ...
class InputError(Error, ValueError):
    argument: str
    index: Any
    path: str
    line: int
    adjustment: "TraverseAdjustment"
class FileError(Error, OSError):
    path: str

class Ellipsoid:
    def __init__(self, code: Union[int, str]) -> None: ...
    @property
    def code(self) -> str: ...
    @property
    def name(self) -> str: ...
    @property
    def a(self) -> float: ...
    @property
    def e2(self) -> float: ...
    @property
    def b(self) -> float: ...
    @property
    def f(self) -> float: ...
    @overload
    def to_geodetic(self, X: ArrayLike, Y: ArrayLike, Z: ArrayLike, errors: Raise = "raise", *, lon_range: LonRange = 180) -> "Geodetic": ...
    @overload
    def to_geodetic(self, X: ArrayLike, Y: ArrayLike, Z: ArrayLike, errors: Nan, *, lon_range: LonRange = 180) -> tuple["Geodetic", StatusOrArray]: ...
    @overload
    def to_space(self, B: ArrayLike, L: ArrayLike, H: ArrayLike, errors: Raise = "raise") -> "Space": ...
    @overload
    def to_space(self, B: ArrayLike, L: ArrayLike, H: ArrayLike, errors: Nan) -> tuple["Space", StatusOrArray]: ...

def ellipsoid_codes() -> list[str]: ...

def dms_to_rad(dms: ArrayLike, *, strict: bool = False) -> FloatOrArray: ...
def rad_to_dms(rad: ArrayLike) -> FloatOrArray: ...
def rad_to_dms_text(rad: ArrayLike) -> Union[str, list[Any]]: ...
def format_pattern(value: ArrayLike, pattern: str) -> Union[str, list[Any]]: ...
def general_text(value: ArrayLike) -> Union[str, list[Any]]: ...

class Radii(NamedTuple):
    N: FloatOrArray
    M: FloatOrArray
    R: FloatOrArray
    RA: FloatOrArray

class ThreeDifference(NamedTuple):
    deflection: FloatOrArray
    height: FloatOrArray
    geodesic: FloatOrArray

class CompensationPlane(NamedTuple):
    lat_deg: FloatOrArray
    lon_deg: FloatOrArray
    H: FloatOrArray
    zeta: FloatOrArray
    N: FloatOrArray
    M: FloatOrArray
    R: FloatOrArray
    xg: FloatOrArray
    yg: FloatOrArray
    hg: FloatOrArray
    dH1: FloatOrArray
    dE: FloatOrArray
    dH2: FloatOrArray
    dH3: FloatOrArray

def radii(lat: ArrayLike, azimuth: ArrayLike = 0.0, ellipsoid: EllipsoidLike = 54) -> Radii: ...
def meridian_arc(lat1: ArrayLike, lat2: ArrayLike, ellipsoid: EllipsoidLike = 54) -> FloatOrArray: ...
def parallel_arc(lat: ArrayLike, dlon: ArrayLike, ellipsoid: EllipsoidLike = 54) -> FloatOrArray: ...
def three_difference(lat1: ArrayLike, lat2: ArrayLike, xi: ArrayLike, eta: ArrayLike, height: ArrayLike,
                     distance: ArrayLike, azimuth: ArrayLike, zenith: ArrayLike) -> ThreeDifference: ...
def height_anomaly_54(lat: ArrayLike, lon: ArrayLike) -> FloatOrArray: ...
def compensation_plane_height(X: ArrayLike, Y: ArrayLike, Z: ArrayLike, h: ArrayLike,
                              central_meridian: ArrayLike) -> CompensationPlane: ...

class SevenParameters:
    dX: float
    dY: float
    dZ: float
    m: float
    ex: float
    ey: float
    ez: float
    def __init__(self, dX: float = 0.0, dY: float = 0.0, dZ: float = 0.0, m: float = 0.0,
                 ex: float = 0.0, ey: float = 0.0, ez: float = 0.0) -> None: ...
    def as_tuple(self) -> tuple[float, float, float, float, float, float, float]: ...
    @overload
    def transform(self, X: ArrayLike, Y: ArrayLike, Z: ArrayLike,
                  errors: Raise = "raise") -> tuple[FloatOrArray, FloatOrArray, FloatOrArray]: ...
    @overload
    def transform(self, X: ArrayLike, Y: ArrayLike, Z: ArrayLike,
                  errors: Nan) -> tuple[tuple[FloatOrArray, FloatOrArray, FloatOrArray], StatusOrArray]: ...
    @overload
    def to_gauss(self, X: ArrayLike, Y: ArrayLike, Z: ArrayLike, ellipsoid: EllipsoidLike = 54,
                 central_meridian_deg: float = 123.0, false_northing_km: float = 0.0,
                 false_easting_km: float = 500.0, plane_height: float = 0.0,
                 anomaly: float = 0.0, errors: Raise = "raise") -> "SevenGauss": ...
    @overload
    def to_gauss(self, X: ArrayLike, Y: ArrayLike, Z: ArrayLike, ellipsoid: EllipsoidLike = 54,
                 central_meridian_deg: float = 123.0, false_northing_km: float = 0.0,
                 false_easting_km: float = 500.0, plane_height: float = 0.0,
                 anomaly: float = 0.0, *, errors: Nan) -> tuple["SevenGauss", StatusOrArray]: ...

class SevenGauss(NamedTuple):
    X: FloatOrArray
    Y: FloatOrArray
    Z: FloatOrArray
    xg: FloatOrArray
    yg: FloatOrArray
    hg: FloatOrArray

class SevenFit:
    @property
    def parameters(self) -> SevenParameters: ...
    @property
    def sigma(self) -> SevenParameters: ...
    sigma0: float
    redundancy: int
    iterations: int
    @property
    def names(self) -> list[str]: ...
    @property
    def residuals(self) -> npt.NDArray[np.float64]: ...
    @property
    def flagged(self) -> npt.NDArray[np.bool_]: ...
    def report_lines(self) -> list[str]: ...
    def report(self) -> str: ...

def estimate_seven_parameters(old: ArrayLike, new: ArrayLike, names: Sequence[str] | None = None) -> SevenFit: ...
def estimate_seven_parameters_geodetic(old: ArrayLike, new: ArrayLike, old_ellipsoid: EllipsoidLike,
                                       new_ellipsoid: EllipsoidLike, names: Sequence[str] | None = None) -> SevenFit: ...

class CommonPoints(NamedTuple):
    names: list[str]
    old: npt.NDArray[np.float64]
    new: npt.NDArray[np.float64]

def read_common_point_file(path: PathLike, geodetic: bool = False) -> CommonPoints: ...

class Offsets(NamedTuple):
    dx: FloatOrArray
    dy: FloatOrArray

class Polar(NamedTuple):
    distance: FloatOrArray
    azimuth: FloatOrArray

class AzimuthParts(NamedTuple):
    degrees: FloatOrArray
    minutes: FloatOrArray
    seconds: FloatOrArray

class PlanePoint(NamedTuple):
    x: FloatOrArray
    y: FloatOrArray

class TraverseLeg(NamedTuple):
    x: FloatOrArray
    y: FloatOrArray
    azimuth: FloatOrArray
    left_angle: FloatOrArray
    reverse_azimuth: FloatOrArray

def azimuth(x1: ArrayLike, y1: ArrayLike, x2: ArrayLike, y2: ArrayLike) -> FloatOrArray: ...
def distance(x1: ArrayLike, y1: ArrayLike, x2: ArrayLike, y2: ArrayLike) -> FloatOrArray: ...
def plane_forward(distance: ArrayLike, azimuth: ArrayLike) -> Offsets: ...
def plane_inverse(x1: ArrayLike, y1: ArrayLike, x2: ArrayLike, y2: ArrayLike) -> Polar: ...
def split_azimuth(azimuth: ArrayLike) -> AzimuthParts: ...
def join_azimuth(degrees: ArrayLike, minutes: ArrayLike, seconds: ArrayLike) -> FloatOrArray: ...
def forward_intersection(xa: ArrayLike, ya: ArrayLike, xb: ArrayLike, yb: ArrayLike, alpha: ArrayLike,
                         beta: ArrayLike) -> PlanePoint: ...
def resection(xa: ArrayLike, ya: ArrayLike, xb: ArrayLike, yb: ArrayLike, xc: ArrayLike, yc: ArrayLike,
              alpha: ArrayLike, beta: ArrayLike) -> PlanePoint: ...
def traverse_leg(x0: ArrayLike, y0: ArrayLike, back_azimuth: ArrayLike, angle: ArrayLike, side: ArrayLike,
                 left: bool = True) -> TraverseLeg: ...
def create_traverse_file(path: PathLike, chosen: bool = True) -> None: ...
def append_traverse_record(path: PathLike, name: str, x: float, y: float, x0: float, y0: float,
                           back_azimuth: float, side: float, left_angle: float) -> None: ...

class TraverseInput:
    @property
    def kind(self) -> str: ...
    @property
    def side(self) -> str: ...
    @property
    def start(self) -> tuple[str, float, float]: ...
    @property
    def back_sight(self) -> tuple[str, float, float] | None: ...
    @property
    def start_azimuth(self) -> float | None: ...
    @property
    def connection_angle(self) -> float | None: ...
    @property
    def first_leg_azimuth(self) -> float | None: ...
    @property
    def end(self) -> tuple[str, float, float] | None: ...
    @property
    def fore_sight(self) -> tuple[str, float, float] | None: ...
    @property
    def end_azimuth(self) -> float | None: ...
    @property
    def stations(self) -> list[tuple[str, float, float]]: ...

class TraverseAdjustment:
    @property
    def input(self) -> TraverseInput: ...
    angle_count: int
    start_azimuth: float
    end_azimuth_known: float
    end_azimuth_observed: float
    end_azimuth_adjusted: float
    sum_observed: float
    sum_theoretical: float
    f_beta_seconds: float
    allowance_seconds: float
    over_limit: bool
    closure_over_limit: bool
    closure_allowance: float
    grade: str
    sum_distance: float
    fx: float
    fy: float
    fs: float
    K: float
    names: list[str]
    xy: npt.NDArray[np.float64]
    corrections_seconds: npt.NDArray[np.float64]
    stations: list[dict[str, Any]]
    legs: list[dict[str, Any]]
    def report_lines(self, seconds_decimals: int = -1) -> list[str]: ...
    def report(self, seconds_decimals: int = -1) -> str: ...
    def report_html(self, seconds_decimals: int = -1) -> str: ...
    def sketch_svg(self) -> str: ...

class LevelRoute:
    kind: str
    fh: float
    allowance: float
    over_limit: bool
    sum_length: float
    sum_setups: int
    names: list[str]
    heights: npt.NDArray[np.float64]
    corrections: npt.NDArray[np.float64]
    sections: list[dict[str, Any]]
    def report(self, format: str = "text") -> str: ...

def level_route(kind: str, sections: list[tuple[str, str, float, float]], start_height: float,
                end_height: float | None = None, by: str = "length", grade: str = "图根",
                allowance: float | None = None, terrain: str = "", rounding: str = "nearest",
                force: bool = False) -> LevelRoute: ...
def level_route_file(path: PathLike, grade: str = "图根", allowance: float | None = None, terrain: str = "",
                     by: str = "", rounding: str = "nearest", force: bool = False) -> LevelRoute: ...
def read_traverse_file(path: PathLike) -> TraverseInput: ...
def parse_traverse_text(text: Union[str, bytes], name: str = "<text>") -> TraverseInput: ...
def adjust_traverse(traverse: Union[TraverseInput, PathLike], allowance: float | None = None,
                    correction_step: float = 1.0, force: bool = False,
                    grade: str | None = None) -> TraverseAdjustment: ...

# GNSS height fitting: metres throughout, x north, y east.
HeightModel = Literal["constant", "plane", "quadratic", "multiquadric", "thinplate", "常数", "平面", "二次曲面", "多面函数", "薄板样条"]

class HeightFit:
    model: str
    names: list[str]
    check: npt.NDArray[np.bool_]
    zeta: npt.NDArray[np.float64]
    fitted: npt.NDArray[np.float64]
    residuals: npt.NDArray[np.float64]
    parameter_names: list[str]
    parameters: npt.NDArray[np.float64]
    centre: tuple[float, float]
    scale: float
    shape: float
    sigma_internal: float
    sigma_leave_one_out: float
    sigma_external: float
    hull: npt.NDArray[np.float64]
    @overload
    def evaluate(self, x: float, y: float) -> tuple[float, bool]: ...
    @overload
    def evaluate(self, x: ArrayLike, y: ArrayLike) -> tuple[npt.NDArray[np.float64], npt.NDArray[np.bool_]]: ...
    def report(self, format: Literal["text", "html"] = "text") -> str: ...

def height_fit(names: Sequence[str], x: ArrayLike, y: ArrayLike, H: ArrayLike, h: ArrayLike,
               model: HeightModel = "plane", check: Sequence[str] = ..., shape: float | None = None) -> HeightFit: ...
def height_fit_file(path: PathLike, model: HeightModel = "plane", check: Sequence[str] = ...,
                    shape: float | None = None) -> HeightFit: ...

# Networks: accuracies passed in are in arc seconds, mm and ppm; figures returned in metres and
# radians (a plane network's sigma0 in arc seconds).
PlanePointItem = Union[str, Sequence[Any], dict[str, Any]]
ObservationItem = Union[Sequence[Any], dict[str, Any]]

class NetworkObservations(NamedTuple):
    kinds: list[str]
    stations: list[str]
    targets: list[str]
    targets2: list[str]
    observed: npt.NDArray[np.float64]
    adjusted: npt.NDArray[np.float64]
    residuals: npt.NDArray[np.float64]
    sigma: npt.NDArray[np.float64]
    sigma_adjusted: npt.NDArray[np.float64]
    redundancy: npt.NDArray[np.float64]
    standardized: npt.NDArray[np.float64]
    file_lines: npt.NDArray[np.int64]

class RelativeEllipses(NamedTuple):
    pairs: npt.NDArray[np.int64]
    ellipses: npt.NDArray[np.float64]
    sigma_distance: npt.NDArray[np.float64]
    sigma_azimuth: npt.NDArray[np.float64]

class PlaneAdjustment:
    points: list[str]
    xy: npt.NDArray[np.float64]
    sigma: npt.NDArray[np.float64]
    sigma_p: npt.NDArray[np.float64]
    covariance_xy: npt.NDArray[np.float64]
    ellipses: npt.NDArray[np.float64]
    adjusted: npt.NDArray[np.bool_]
    observations: NetworkObservations
    relative_ellipses: RelativeEllipses
    orientations: list[tuple[str, float]]
    sigma0: float
    sigma0_a_priori: float
    dof: int
    chi2: float
    chi2_bounds: tuple[float, float]
    global_test_passed: bool
    suspect: int | None
    iterations: int
    def report(self, format: Literal["text", "html", "json"] = "text", *,
               ellipse_scale: float | None = None) -> str: ...

class LevellingLines(NamedTuple):
    starts: list[str]
    ends: list[str]
    observed: npt.NDArray[np.float64]
    amount: npt.NDArray[np.float64]
    adjusted: npt.NDArray[np.float64]
    residuals: npt.NDArray[np.float64]
    sigma: npt.NDArray[np.float64]
    sigma_adjusted: npt.NDArray[np.float64]
    redundancy: npt.NDArray[np.float64]
    standardized: npt.NDArray[np.float64]
    file_lines: npt.NDArray[np.int64]

class LevellingAdjustment:
    points: list[str]
    heights: npt.NDArray[np.float64]
    height_sigma: npt.NDArray[np.float64]
    adjusted: npt.NDArray[np.bool_]
    lines: LevellingLines
    sigma0: float
    sigma0_a_priori: float
    dof: int
    chi2: float
    chi2_bounds: tuple[float, float]
    global_test_passed: bool
    suspect: int | None
    def report(self, format: Literal["text", "html", "json"] = "text", *,
               ellipse_scale: float | None = None) -> str: ...

class NetworkAdjustment:
    plane: PlaneAdjustment | None
    levelling: LevellingAdjustment | None
    name: str
    global_test_passed: bool
    def report(self, format: Literal["text", "html", "json"] = "text", *,
               ellipse_scale: float | None = None) -> str: ...

def adjust_network(points: Sequence[PlanePointItem], observations: Sequence[ObservationItem], *,
                   direction_sigma: float | None = None, angle_sigma: float | None = None,
                   distance_sigma: tuple[float, float] | None = None, azimuth_sigma: float | None = None,
                   sigma0: float | None = None, free: bool | Sequence[str] = False,
                   a_priori: bool = False, name: str = "(Python)") -> PlaneAdjustment: ...
def adjust_levelling(points: Sequence[Union[str, Sequence[Any], dict[str, Any]]],
                     lines: Sequence[Union[Sequence[Any], dict[str, Any]]], *,
                     weight: Literal["length", "setups"] = "length", sigma: float = 1.0,
                     free: bool | Sequence[str] = False, a_priori: bool = False,
                     name: str = "(Python)") -> LevellingAdjustment: ...
def adjust_network_file(path: PathLike, *, direction_sigma: float | None = None, angle_sigma: float | None = None,
                        distance_sigma: tuple[float, float] | None = None, level_sigma: float | None = None,
                        free: bool | Sequence[str] | None = None, a_priori: bool = False) -> NetworkAdjustment: ...

class ParameterTexts(NamedTuple):
    shift_x: str
    shift_y: str
    rotation: str
    scale: str

class CommonPointFit:
    shift_x: float
    shift_y: float
    rotation: float
    scale: float
    parameters: tuple[float, float, float, float]
    standard_errors: tuple[float, float, float, float]
    sigma0: float
    names: list[str]
    old: npt.NDArray[np.float64]
    new: npt.NDArray[np.float64]
    common_found: int
    residuals: npt.NDArray[np.float64]
    texts: ParameterTexts
    @overload
    def apply(self, x: ArrayLike, y: ArrayLike, errors: Raise = "raise") -> tuple[FloatOrArray, FloatOrArray]: ...
    @overload
    def apply(self, x: ArrayLike, y: ArrayLike, errors: Nan) -> tuple[tuple[FloatOrArray, FloatOrArray], StatusOrArray]: ...
    def transform_file(self, old_path: PathLike, new_path: PathLike) -> None: ...

def fit_common_points(old: ArrayLike, new: ArrayLike, names: Sequence[str] | None = None) -> CommonPointFit: ...
def fit_point_files(old_path: PathLike, new_path: PathLike) -> CommonPointFit: ...

class Rotation:
    x0: float
    y0: float
    X0: float
    Y0: float
    theta: float
    def __init__(self, x0: float, y0: float, X0: float, Y0: float, theta: float) -> None: ...
    @overload
    def apply(self, x: ArrayLike, y: ArrayLike, errors: Raise = "raise") -> tuple[FloatOrArray, FloatOrArray]: ...
    @overload
    def apply(self, x: ArrayLike, y: ArrayLike, errors: Nan) -> tuple[tuple[FloatOrArray, FloatOrArray], StatusOrArray]: ...
    def rotate_file(self, old_path: PathLike, result_path: PathLike, angle_text: str | None = None) -> None: ...

class PointFileData(NamedTuple):
    names: list[str]
    xy: npt.NDArray[np.float64]          # (n, 2): x north, y east
    remarks: list[str]
    values: npt.NDArray[np.float64]      # (n, k): every number of each line, x and y first, NaN-padded
    columns: list[str] | None            # header names of values' columns

def read_point_file(path: PathLike, encoding: str = "auto", format: Literal["points", "csv"] | None = None,
                    delimiter: str | None = None, columns: Sequence[str] | None = None) -> PointFileData: ...
def write_point_file(path: PathLike, names: Sequence[str], xy: ArrayLike, remarks: Sequence[str | None] | None = None,
                     append: bool = False) -> None: ...

class ExchangePoints(NamedTuple):
    names: list[str]
    x: npt.NDArray[np.float64]
    y: npt.NDArray[np.float64]
    h: npt.NDArray[np.float64]
    codes: list[str]
    remarks: list[str]
    format: Literal["dat", "dxf", "geojson", "kml"]

def read_points(path: PathLike, format: Literal["dat", "dxf", "geojson", "kml"] | None = None) -> ExchangePoints: ...
def write_points(path: PathLike, names: Sequence[str], x: ArrayLike, y: ArrayLike, h: ArrayLike | None = None,
                 format: Literal["dat", "dxf", "geojson", "kml"] | None = None, codes: Sequence[str | None] | None = None,
                 remarks: Sequence[str | None] | None = None, encoding: Literal["gbk", "utf-8"] = "gbk") -> None: ...

class Sentence(NamedTuple):
    name: str
    sentence: str
    fields: list[str]

class GGA(NamedTuple):
    name: str
    sentence: str
    fields: list[str]
    time: float
    lat: float
    lon: float
    height: float
    quality: int
    satellites: int
    hdop: float
    ns: str
    ew: str
    altitude: float

class VTG(NamedTuple):
    name: str
    sentence: str
    fields: list[str]
    course: float
    speed_kmh: float

class HDT(NamedTuple):
    name: str
    sentence: str
    fields: list[str]
    heading: float

class GSN(NamedTuple):
    name: str
    sentence: str
    fields: list[str]
    satellites: int
    ttt: int

class POS(NamedTuple):
    name: str
    sentence: str
    fields: list[str]
    send_pos: int

Record = Union[Sentence, GGA, VTG, HDT, GSN, POS]

class SentenceStream:
    sentences: int
    rejected: int
    dropped: int
    pending: int
    checksum: bool
    def __init__(self, checksum: bool = True) -> None: ...
    def feed(self, data: Union[bytes, bytearray, memoryview]) -> list[Record]: ...
    def finish(self) -> None: ...

def read_sentences(source: Union[PathLike, bytes, BinaryIO], checksum: bool = True,
                   chunk_size: int = 4096) -> Iterator[Record]: ...

# Coordinate conversions over arrays (the batch layer's): angles radians, lengths metres,
# false origins kilometres as the dialogs' fields.
def set_threads(n: int) -> None: ...
def get_threads() -> int: ...
def status_message(code: int) -> str: ...
def status_codes() -> dict[int, str]: ...

class Geodetic(NamedTuple):
    B: FloatOrArray
    L: FloatOrArray
    H: FloatOrArray

class Space(NamedTuple):
    X: FloatOrArray
    Y: FloatOrArray
    Z: FloatOrArray

class PlaneXY(NamedTuple):
    x: FloatOrArray
    y: FloatOrArray

class PlaneXYH(NamedTuple):
    x: FloatOrArray
    y: FloatOrArray
    h: FloatOrArray

class LatLon(NamedTuple):
    B: FloatOrArray
    L: FloatOrArray

@overload
def to_geodetic(X: ArrayLike, Y: ArrayLike, Z: ArrayLike, ellipsoid: EllipsoidLike = 54,
                errors: Raise = "raise", *, lon_range: LonRange = 180) -> Geodetic: ...
@overload
def to_geodetic(X: ArrayLike, Y: ArrayLike, Z: ArrayLike, ellipsoid: EllipsoidLike = 54, *,
                errors: Nan, lon_range: LonRange = 180) -> tuple[Geodetic, StatusOrArray]: ...
@overload
def to_space(B: ArrayLike, L: ArrayLike, H: ArrayLike, ellipsoid: EllipsoidLike = 54, errors: Raise = "raise") -> Space: ...
@overload
def to_space(B: ArrayLike, L: ArrayLike, H: ArrayLike, ellipsoid: EllipsoidLike = 54, *,
             errors: Nan) -> tuple[Space, StatusOrArray]: ...

class GaussKruger:
    def __init__(self, ellipsoid: EllipsoidLike = 54, central_meridian: float | None = None,
                 zone_width: int | None = None, zone_prefix: bool = False, false_northing_km: float = 0.0,
                 false_easting_km: float | None = None, plane_height: float = 0.0,
                 anomaly: Union[float, str] = 0.0) -> None: ...
    @property
    def ellipsoid(self) -> Ellipsoid: ...
    @property
    def central_meridian(self) -> float | None: ...
    @property
    def zone_width(self) -> int | None: ...
    @property
    def zone_prefix(self) -> bool: ...
    @property
    def false_northing_km(self) -> float: ...
    @property
    def false_easting_km(self) -> float: ...
    @property
    def plane_height(self) -> float: ...
    @property
    def anomaly(self) -> Union[float, str]: ...
    @overload
    def forward(self, B: ArrayLike, L: ArrayLike, H: None = None, errors: Raise = "raise") -> PlaneXY: ...
    @overload
    def forward(self, B: ArrayLike, L: ArrayLike, H: ArrayLike, errors: Raise = "raise") -> PlaneXYH: ...
    @overload
    def forward(self, B: ArrayLike, L: ArrayLike, H: None = None, *, errors: Nan) -> tuple[PlaneXY, StatusOrArray]: ...
    @overload
    def forward(self, B: ArrayLike, L: ArrayLike, H: ArrayLike, errors: Nan) -> tuple[PlaneXYH, StatusOrArray]: ...
    @overload
    def inverse(self, x: ArrayLike, y: ArrayLike, h: None = None, zone: ArrayLike | None = None,
                errors: Raise = "raise", *,
                lon_range: LonRange = 180, strict: bool = False) -> LatLon: ...
    @overload
    def inverse(self, x: ArrayLike, y: ArrayLike, h: ArrayLike, zone: ArrayLike | None = None,
                errors: Raise = "raise", *,
                lon_range: LonRange = 180, strict: bool = False) -> Geodetic: ...
    @overload
    def inverse(self, x: ArrayLike, y: ArrayLike, h: None = None, zone: ArrayLike | None = None, *,
                errors: Nan, lon_range: LonRange = 180, strict: bool = False) -> tuple[LatLon, StatusOrArray]: ...
    @overload
    def inverse(self, x: ArrayLike, y: ArrayLike, h: ArrayLike, zone: ArrayLike | None = None, *,
                errors: Nan, lon_range: LonRange = 180, strict: bool = False) -> tuple[Geodetic, StatusOrArray]: ...
    def zones(self, L: ArrayLike) -> FloatOrArray: ...

@overload
def change_zone(x: ArrayLike, y: ArrayLike, from_meridian: float, to_meridian: float, ellipsoid: EllipsoidLike = 54,
                false_northing_km: float = 0.0, false_easting_km: float = 0.0, plane_height: float = 0.0,
                anomaly: float = 0.0, errors: Raise = "raise") -> PlaneXY: ...
@overload
def change_zone(x: ArrayLike, y: ArrayLike, from_meridian: float, to_meridian: float, ellipsoid: EllipsoidLike = 54,
                false_northing_km: float = 0.0, false_easting_km: float = 0.0, plane_height: float = 0.0,
                anomaly: float = 0.0, *, errors: Nan) -> tuple[PlaneXY, StatusOrArray]: ...

class UTM:
    def __init__(self, ellipsoid: EllipsoidLike = 84, zone: int | None = None, central_meridian: float | None = None,
                 false_northing_km: float = 0.0, false_easting_km: float = 500.0, plane_height: float = 0.0) -> None: ...
    @property
    def ellipsoid(self) -> Ellipsoid: ...
    @property
    def zone(self) -> int | None: ...
    @property
    def central_meridian_dms(self) -> float | None: ...
    @overload
    def forward(self, B: ArrayLike, L: ArrayLike, errors: Raise = "raise") -> PlaneXY: ...
    @overload
    def forward(self, B: ArrayLike, L: ArrayLike, errors: Nan) -> tuple[PlaneXY, StatusOrArray]: ...
    @overload
    def inverse(self, x: ArrayLike, y: ArrayLike, zone: ArrayLike | None = None, errors: Raise = "raise", *, lon_range: LonRange = 180) -> LatLon: ...
    @overload
    def inverse(self, x: ArrayLike, y: ArrayLike, zone: ArrayLike | None = None, *,
                errors: Nan, lon_range: LonRange = 180) -> tuple[LatLon, StatusOrArray]: ...
    def zones(self, L: ArrayLike) -> FloatOrArray: ...

class Lambert:
    def __init__(self, central_meridian: float, parallel1: float, parallel2: float, ellipsoid: EllipsoidLike = 84,
                 false_northing_km: float = 0.0, false_easting_km: float = 0.0, plane_height: float = 0.0) -> None: ...
    @overload
    def forward(self, B: ArrayLike, L: ArrayLike, errors: Raise = "raise") -> PlaneXY: ...
    @overload
    def forward(self, B: ArrayLike, L: ArrayLike, errors: Nan) -> tuple[PlaneXY, StatusOrArray]: ...
    @overload
    def inverse(self, x: ArrayLike, y: ArrayLike, errors: Raise = "raise", *, lon_range: LonRange = 180) -> LatLon: ...
    @overload
    def inverse(self, x: ArrayLike, y: ArrayLike, *, errors: Nan, lon_range: LonRange = 180) -> tuple[LatLon, StatusOrArray]: ...

# Coordinate systems by EPSG code; latitudes and longitudes in degrees, each system's axis order.
CrsLike = Union["CRS", int, str]

class AreaOfUse(NamedTuple):
    west: float
    south: float
    east: float
    north: float

class CRS:
    def __init__(self, code: Union[int, str]) -> None: ...
    @staticmethod
    def from_epsg(code: Union[int, str]) -> CRS: ...
    @staticmethod
    def codes() -> list[int]: ...
    @property
    def epsg(self) -> int: ...
    @property
    def name(self) -> str: ...
    @property
    def chinese_name(self) -> str: ...
    @property
    def kind(self) -> Literal["geographic", "geocentric", "projected"]: ...
    @property
    def datum(self) -> str: ...
    @property
    def ellipsoid(self) -> str: ...
    @property
    def axis_order(self) -> tuple[str, ...]: ...
    @property
    def axis_order_text(self) -> str: ...
    @property
    def area_of_use(self) -> AreaOfUse: ...
    @property
    def projection(self) -> dict[str, Any] | None: ...
    def to_epsg(self) -> int: ...

class Transformer:
    @staticmethod
    def from_crs(crs_from: CrsLike, crs_to: CrsLike, params: SevenParameters | Sequence[float] | None = None,
                 same_datum: bool = False) -> Transformer: ...
    @property
    def source_crs(self) -> CRS: ...
    @property
    def target_crs(self) -> CRS: ...
    @overload
    def transform(self, xx: ArrayLike, yy: ArrayLike, zz: ArrayLike | None = None, errors: Raise = "raise",
                  strict: bool = False) -> tuple[FloatOrArray, ...]: ...
    @overload
    def transform(self, xx: ArrayLike, yy: ArrayLike, zz: ArrayLike | None = None, *, errors: Nan,
                  strict: bool = False) -> tuple[tuple[FloatOrArray, ...], StatusOrArray]: ...
    def transform_dataframe(self, df: Any, columns: Sequence[str] | None = None, out: Sequence[str] | None = None,
                            errors: Literal["raise", "nan"] = "raise", strict: bool = False) -> Any: ...
