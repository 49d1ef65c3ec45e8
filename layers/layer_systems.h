// The coordinate systems of layers: the one a layer states, matched against
// the codes the engine transforms and the input side of a request, and the
// system its output is written in.
#pragma once

#include "layer_run.h"

#include <ogrsf_frmts.h>
#include <string>
#include <vector>

namespace quillon::layers {

// Checks that every one of `layers` stating a system states one of the
// engine's codes, the one of the request's side a; a Failure naming the
// layer when not. Layers that state none are taken as the request says.
void CheckLayerSystems(const std::vector<OGRLayer*>& layers, const api::TransformRequest& request);

// The EPSG definition of the output: the request's code for side b, or the
// one of its datum, kind and zone; with orthometric heights in UTM, compound
// with the Alicante heights (EPSG:5782).
std::string TargetCode(const api::TransformRequest& request, bool has_z);

} // namespace quillon::layers
