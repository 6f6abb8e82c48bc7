// The record access API of the project database: every record family in
// one include. The conventions shared by all families (statuses, key
// out-parameters, GetOne / GetAll behaviour, batch inserts, stored folder
// names) open qe/projectdb/records/project.h.
#pragma once

#include "qe/projectdb/records/assayrecipe.h"
#include "qe/projectdb/records/assayrun.h"
#include "qe/projectdb/records/binframe.h"
#include "qe/projectdb/records/binlayer.h"
#include "qe/projectdb/records/binobj.h"
#include "qe/projectdb/records/deposit.h"
#include "qe/projectdb/records/file.h"
#include "qe/projectdb/records/frame.h"
#include "qe/projectdb/records/frame_links.h"
#include "qe/projectdb/records/frameprop.h"
#include "qe/projectdb/records/jobclasslaststate.h"
#include "qe/projectdb/records/jobdef.h"
#include "qe/projectdb/records/jobprogram.h"
#include "qe/projectdb/records/jobpropdef.h"
#include "qe/projectdb/records/jobrun.h"
#include "qe/projectdb/records/jobrunpropstat.h"
#include "qe/projectdb/records/jobtask.h"
#include "qe/projectdb/records/jobuser.h"
#include "qe/projectdb/records/project.h"
#include "qe/projectdb/records/propdef.h"
#include "qe/projectdb/records/runloop.h"
#include "qe/projectdb/records/tag_links.h"
#include "qe/projectdb/records/tagcolor.h"
#include "qe/projectdb/records/tagdef.h"
