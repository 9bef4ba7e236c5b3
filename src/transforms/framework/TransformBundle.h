#pragma once

#include "transforms/framework/FnTransform.h"

// A transform written down as a JSON file (".txsource"): {"name": ..., "options": {...},
// "inputs": [...]}, each input a source path or URL, or a nested bundle object. Relative input
// paths are taken from the bundle's folder, so a bundle moved together with its inputs still
// opens.
namespace TransformBundle {

// Reads and unpacks a bundle file. Fails with "Unable to open file: " and the path when it cannot
// be read, and with "Unable to unbundle transform: " and the name when the transform cannot be
// made.
FnTransformPtr unpack(const QString& path, QString* error);

} // namespace TransformBundle
