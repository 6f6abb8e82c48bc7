// The thumbnail database in one include: the file's tables, requests, the
// pipeline's queues and readers, and CQeProjectThumbDb.
#pragma once

#include "qe/thumbdb/project_thumb.h"
#include "qe/thumbdb/project_thumb_db.h"
#include "qe/thumbdb/thumb_queues.h"
#include "qe/thumbdb/thumb_reader.h"
#include "qe/thumbdb/thumb_tables.h"
