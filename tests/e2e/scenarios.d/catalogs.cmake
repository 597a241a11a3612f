# The catalogues as the user meets them, one scenario per script, each running its languages in turn.
list(APPEND scenarios close_question_cjk close_question_latin)
