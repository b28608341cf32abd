#pragma once
// A plane or levelling network given as Python lists of tuples or dicts, turned into the
// network a file would give (batch::NetworkFile), so that both take one road to the
// adjustment and its reports.
#include "batch/network_file.h"
#include "binding.h"

namespace vantrel::python {

// points: "name", (name,), (name, x, y), (name, x, y, σ), (name, x, y, σx, σy) or dicts
// {name, x, y, sigma, approx}; observations: (kind, ...) tuples or dicts, and
// ("set", station, [(target, direction[, distance]), ...][, σ]). σ in ″ and mm.
void ReadPlaneLists(py::handle points, py::handle observations, batch::NetworkFile& file);

// points: "name", (name,), (name, H), (name, H, σ) or dicts {name, height, sigma};
// lines: (from, to, dh, amount[, σ]) or dicts. σ in mm per √km or per √set-up.
void ReadLevellingLists(py::handle points, py::handle lines, adjustment::LineWeight weight, double sigma,
                        batch::NetworkFile& file);

}  // namespace vantrel::python
