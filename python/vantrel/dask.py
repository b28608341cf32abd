"""Vantrel's array functions over Dask arrays and DataFrames, and over pandas frames.

The array functions are pure and release the GIL, so any engine that cuts the points into
pieces can spread them over threads, processes or machines; the values do not depend on the
cut. These helpers only keep the shapes, dtypes and result records right:

* ``map_blocks(func, *arrays, **kwargs)``: ``func`` (e.g. ``GaussKruger(...).forward``) on
  the blocks of Dask arrays; returns the record ``func`` returns (``PlaneXY`` ...) with a
  Dask array in each field, or one Dask array, and with ``errors="nan"`` the pair
  ``(record, status)``, status a uint8 Dask array.
* ``map_partitions(func, frame, columns, results, **kwargs)``: ``func`` on the columns
  ``columns`` of each partition of a Dask DataFrame; a DataFrame of the columns ``results``
  (float64) on the partition's index, and ``status`` (uint8) with ``errors="nan"``.
* ``apply_frame(func, frame, columns, results, **kwargs)``: the same on one pandas
  DataFrame (what Spark's ``mapInPandas`` hands over).

``func`` must pickle for worker processes: the module's functions, and the methods of its
projection and transformation objects (GaussKruger, UTM, Lambert, SevenParameters,
CommonPointFit, Rotation, Ellipsoid), which pickle whole. Nothing is computed here.
"""
import functools
import types

import numpy as np

__all__ = ["map_blocks", "map_partitions", "apply_frame"]


def _named(module, name):
    import importlib

    return getattr(importlib.import_module(module), name)


class _Sent:
    """A function as it travels to a worker. The module's functions and the methods of its
    objects are built-in functions whose owner pickle cannot take (cloudpickle neither):
    they travel by name, a method with its object (which pickles whole)."""

    def __init__(self, func):
        self.func = func

    def __call__(self, *args, **kwargs):
        return self.func(*args, **kwargs)

    def __reduce__(self):
        f = self.func
        if isinstance(f, types.MethodType) and type(f.__func__).__name__ == "builtin_function_or_method":
            return getattr, (f.__self__, f.__func__.__name__)
        if type(f).__name__ == "builtin_function_or_method" and type(f.__self__).__name__ == "PyCapsule":
            return _named, (f.__module__, f.__name__)
        return _Sent, (f,)


def _nan(kwargs):
    return kwargs.get("errors") == "nan"


def _split(result, nan):
    """(list of result arrays, status or None, the record type or None for one array)."""
    values, status = result if nan else (result, None)
    if isinstance(values, tuple):
        return list(values), status, type(values)
    return [values], status, None


def _stacked(func, count, keys, fixed, nan, *blocks):
    # Dask's map_blocks gives one array a block: the results (and statuses, exact as float64)
    # are stacked along a new first axis and taken apart again outside.
    kwargs = dict(fixed, **dict(zip(keys, blocks[count:])))
    values, status, _ = _split(func(*blocks[:count], **kwargs), nan)
    if nan:
        values.append(np.asarray(status, dtype=np.float64))
    return np.stack([np.asarray(v, dtype=np.float64) for v in values])


def _first(*blocks):
    return blocks[0]


def map_blocks(func, *arrays, **kwargs):
    """func(*arrays, **kwargs) block by block over Dask arrays (positional, or keywords whose
    value is a Dask array); other keywords go to every call as they are. The blocks are
    those da.map_blocks aligns and broadcasts."""
    import dask.array as da

    keys = [k for k, v in kwargs.items() if isinstance(v, da.Array)]
    fixed = {k: v for k, v in kwargs.items() if k not in keys}
    inputs = list(arrays) + [kwargs[k] for k in keys]
    if not inputs or not all(isinstance(a, da.Array) for a in inputs):
        raise TypeError("vantrel.dask.map_blocks: the arrays must be dask arrays")
    nan = _nan(kwargs)
    func = _Sent(func)
    # A call on empty arrays tells the results' number and record without computing a point.
    empty = [np.empty(0) for _ in inputs]
    probe = func(*empty[: len(arrays)], **dict(fixed, **dict(zip(keys, empty[len(arrays):]))))
    values, _, record = _split(probe, nan)
    rows = len(values) + (1 if nan else 0)
    chunks = da.map_blocks(_first, *inputs, dtype=np.float64).chunks  # never computed
    stacked = da.map_blocks(functools.partial(_stacked, func, len(arrays), keys, fixed, nan), *inputs,
                            dtype=np.float64, new_axis=0, chunks=((rows,),) + chunks)
    parts = [stacked[j] for j in range(len(values))]
    out = parts[0] if record is None else (record._make(parts) if hasattr(record, "_make") else tuple(parts))
    if nan:
        return out, stacked[rows - 1].astype(np.uint8)
    return out


def apply_frame(func, frame, columns, results, **kwargs):
    """func on the columns ``columns`` of a pandas DataFrame (as float64 arrays, in func's
    order); returns a DataFrame of the columns ``results`` on frame's index, with
    ``status`` (uint8) when errors="nan"."""
    import pandas as pd

    nan = _nan(kwargs)
    values, status, _ = _split(func(*(frame[c].to_numpy(dtype=np.float64) for c in columns), **kwargs), nan)
    if len(values) != len(results):
        raise ValueError(f"vantrel.dask: func gives {len(values)} results, results names {len(results)}")
    out = pd.DataFrame(dict(zip(results, values)), index=frame.index)
    if nan:
        out["status"] = np.asarray(status, dtype=np.uint8)
    return out


def map_partitions(func, frame, columns, results, **kwargs):
    """apply_frame over every partition of a Dask DataFrame: a Dask DataFrame of the columns
    ``results`` (float64), and ``status`` (uint8) when errors="nan"."""
    import pandas as pd

    meta = pd.DataFrame({name: np.empty(0, dtype=np.float64) for name in results})
    if _nan(kwargs):
        meta["status"] = np.empty(0, dtype=np.uint8)
    return frame.map_partitions(_partition, _Sent(func), list(columns), list(results), meta=meta, **kwargs)


def _partition(part, func, columns, results, **kwargs):
    return apply_frame(func, part, columns, results, **kwargs)
