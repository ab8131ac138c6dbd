#pragma once
// Values between the ADO core and automation variants.
#include "../../ado/ado.h"
#include "dispatch.h"

namespace tabulon::preview::host {

Variant toVariant(const ado::Value& value);
ado::Value fromVariant(const VARIANT& value);
// ADO's DataTypeEnum for a Jet column type.
long adoTypeOf(ado::JetType type);

}  // namespace tabulon::preview::host
