// What the planner's two halves share: the builder that grows a plan's
// arrays, and the packing of its chunks into requests. Nothing outside
// vars/varplan*.cpp includes this.
#pragma once

#include <cstdint>

#include "runtime/runtime.h"
#include "vars/varplan.h"

// Grows a plan array to hold need entries; false without memory.
template <typename T>
bool PlanReserve(T** array, std::int32_t* capacity, std::int64_t need) {
  if (need <= *capacity) return true;
  std::int64_t grown = *capacity > 0 ? *capacity : 16;
  while (grown < need) grown *= 2;
  if (grown > INT32_MAX / static_cast<std::int64_t>(sizeof(T))) return false;
  void* block = Rt_Realloc(*array, 0, static_cast<std::size_t>(grown) * sizeof(T));
  if (!block) return false;
  *array = static_cast<T*>(block);
  *capacity = static_cast<std::int32_t>(grown);
  return true;
}

struct PlanBuilder {
  VarPlan* plan;
  std::int32_t chunkCap = 0, partCap = 0, itemCap = 0, requestCap = 0;
  bool failed = false;
};

// The chunks into requests, in chunk order, each request filled to the brim
// before the next is opened (what a write needs: its order is kept).
bool Plan_PackInOrder(PlanBuilder* b);
// The chunks of a read into as few requests as the bytes and items allow,
// in any order: runs larger than one request first get requests of their
// own, then the rest is spread so that each request fills in bytes and
// items alike.
bool Plan_PackBalanced(PlanBuilder* b);
