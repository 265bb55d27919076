SELECT q'<a>b>' || q'(c)' FROM dual WHERE q'#d#' <> q'[e'
