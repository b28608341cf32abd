"""Columns of a pandas DataFrame through a Transformer (pandas is needed only here)."""


def transform_dataframe(self, df, columns=None, out=None, errors="raise", strict=False):
    """A new DataFrame: ``df`` with the points of ``columns`` in the target system.

    columns: the input column names in the source's axis order (default: the source's
    CRS.axis_order, e.g. ("lat", "lon"), ("x", "y"), ("E", "N"), ("X", "Y", "Z")); a third
    name adds the ellipsoidal height. out: the output names (default: the target's axis
    order, plus "H" when a height goes through). Other columns are kept as they are; an
    output name that is already a column replaces it. The input frame is not changed.
    """
    import numpy as np

    src, dst = self.source_crs, self.target_crs
    columns = tuple(columns) if columns is not None else src.axis_order
    arrays = [np.asarray(df[c], dtype=np.float64) for c in columns]
    result = self.transform(*arrays, errors=errors, strict=strict)
    values = result[0] if errors == "nan" else result
    if out is None:
        out = dst.axis_order
        if len(values) > len(out):
            out = out + ("H",)
    if len(out) != len(values):
        raise ValueError(f"out names {len(values)} columns, not {len(out)}")
    frame = df.copy()
    for name, v in zip(out, values):
        frame[name] = v
    if errors == "nan":
        frame["status"] = result[1]
    return frame
