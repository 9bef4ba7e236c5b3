#pragma once

#include "tasks/TaskRecords.h"

// A serialisable task list: the tasks in execution order (records of any task family).
#define VK_TASK_OPTIONS_LIST(OPT)                                                                            \
    OPT(String, listType, setListType, "", "Kind of list")                                                   \
    OPT(OptionsList, tasks, setTasks, SourceTaskOptions, "The tasks in execution order")

VK_DECLARE_OPTIONS(TaskOptionsList, VkOptionsValue, 1, "Serializable unit that contains the task list",
                   VK_TASK_OPTIONS_LIST)
