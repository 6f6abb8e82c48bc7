// The record access API of the project database: every record family in
// one include. The conventions shared by all families (statuses, key
// out-parameters, GetOne / GetAll behaviour, batch inserts, stored folder
// names) open qe/projectdb/records/project.h.
#pragma once

#include "qe/projectdb/records/file.h"
#include "qe/projectdb/records/frame.h"
#include "qe/projectdb/records/frame_links.h"
#include "qe/projectdb/records/jobdef.h"
#include "qe/projectdb/records/jobrun.h"
#include "qe/projectdb/records/project.h"
#include "qe/projectdb/records/runloop.h"
#include "qe/projectdb/records/tag_links.h"
