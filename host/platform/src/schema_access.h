// Read access to a schema's declarations for the loader.
#pragma once

#include "host/unit/schema.h"

namespace host::unit {

class SchemaAccess {
  public:
    using Table = Schema::Table;
    using Scalar = Schema::Table::Scalar;
    using RecordList = Schema::Table::RecordList;
    using FaultMap = Schema::Table::FaultMap;

    static const std::vector<std::unique_ptr<Table>>& Tables(const Schema& s) { return s.tables_; }
    static const std::vector<Scalar>& Scalars(const Table& t) { return t.scalars_; }
    static const std::vector<RecordList>& Records(const Table& t) { return t.records_; }
    static const std::vector<FaultMap>& Faults(const Table& t) { return t.faults_; }
    static bool Named(const Table& t) { return t.named_; }
    static const std::vector<KeySpec>& NamedKeys(const Table& t) { return t.namedKeys_; }
    static const NamedSetter& NamedSet(const Table& t) { return t.namedSet_; }
};

}  // namespace host::unit
