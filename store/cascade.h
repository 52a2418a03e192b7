// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What refers to a fertilizer, an element, a crop or a saved solution,
// counted in the file, and the deletes that take a row's dependent rows
// along with it, so that no row is left pointing at one that is gone. Every
// query and delete is parameterised; the deletes run inside the running
// action's transaction.

#include "core/deletion_messages.h"

#include <functional>
#include <vector>

namespace solvane {

class Connection;
class DataSet;

// Where the fertilizer is used: the working solution (t_rachet) and the
// saved solutions (t_save_rar) of crops that exist, each solution once.
FertilizerUse FertilizerUsage(Connection& connection, long long fertilizer);

// What refers to the element: the content rows of fertilizers that exist
// (counted by fertilizer), the target rows of crops that exist, the water
// profiles that exist (counted by profile), the conversion records that
// yield it (t_kof.id_element, through which oxides reach it), and the
// elements that are its forms (T_element.id_total).
ElementUse ElementUsage(Connection& connection, long long element);

// The crop's target rows and saved solutions.
CropContents CropUsage(Connection& connection, long long crop);

// A fertilizer's content rows.
void DeleteFertilizerContent(Connection& connection, long long fertilizer);
// A crop's target rows, its saved solutions and their lines.
void DeleteCropTargetsAndSolutions(Connection& connection, long long crop);
// A saved solution's lines.
void DeleteSolutionLines(Connection& connection, long long solution);

// Runs body as one part of the running action that is kept whole or not at
// all: when it throws, what it wrote is undone (what the action wrote before
// it stays), the given sets are read again from the file, so that they show
// what it holds, and the error goes on to the caller.
void AllOrNothing(Connection& connection, const std::vector<DataSet*>& sets, const std::function<void()>& body);

} // namespace solvane
