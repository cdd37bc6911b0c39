// Internals shared by the three models: the mapping between a parameter
// record's fields and their dictionary names, and the bump-and-rebuild
// recipe of clone_and_bump. Not part of the models' public surface.
#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "volmodel/vol_model/vol_slice.hpp"

namespace vol_model::detail {

template <class Record>
struct NamedField {
    std::string_view name;
    double Record::*member;
};

// The record type is deduced from the record argument alone.
template <class Record>
using FieldTable = std::type_identity_t<std::span<const NamedField<Record>>>;

template <class Record>
ParamMap fields_to_map(const Record& record, FieldTable<Record> fields) {
    ParamMap map;
    map.reserve(fields.size());
    for (const auto& field : fields) map.emplace(std::string(field.name), record.*field.member);
    return map;
}

// Starts from the record's defaults and takes every field the map names.
template <class Record>
Record record_from_map(const ParamMap& params, FieldTable<Record> fields) {
    Record record{};
    for (const auto& field : fields) {
        if (auto it = params.find(std::string(field.name)); it != params.end()) {
            record.*field.member = it->second;
        }
    }
    return record;
}

template <class Record>
void assign_field(Record& record, FieldTable<Record> fields,
                  std::string_view name, double value) {
    for (const auto& field : fields) {
        if (field.name == name) {
            record.*field.member = value;
            return;
        }
    }
}

inline std::optional<double> look_up(const ParamMap& map, const std::string& name) {
    if (auto it = map.find(name); it != map.end()) return it->second;
    return std::nullopt;
}

// The receiver's dictionary, each bumped entry replaced by amount + value
// (names it does not hold are skipped), rebuilt by the model's with_params.
template <class Model>
std::unique_ptr<VolSlice> bump_and_rebuild(const Model& model, const ParamMap& bumps) {
    ParamMap params = model.get_param_dict();
    for (const auto& [name, amount] : bumps) {
        if (auto it = params.find(name); it != params.end()) it->second = amount + it->second;
    }
    return std::make_unique<Model>(Model::with_params(model.expiry(), std::move(params)));
}

}  // namespace vol_model::detail
