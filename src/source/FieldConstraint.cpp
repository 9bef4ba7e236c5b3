#include "source/FieldConstraint.h"

FieldConstraint::~FieldConstraint() = default;
